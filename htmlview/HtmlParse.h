// Reading HTML: the tokenizer that turns a page's bytes into tags, text runs
// and entities for the document builder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "gui/base/Classes.h"
#include "gui/base/Types.h"
#include "htmlview/HtmlSupport.h"

namespace htmlview {

// ==== Tokenizer =====================================================================

// One 8-bit enumeration for tag starts, tag ends, attributes and token kinds.
enum Symb : std::uint8_t {
    // Tags with end tags, in table order.
    HtmlSy, TitleSy, BodySy, HeadSy, BSy, ISy, HSy, EmSy, StrongSy, USy, CiteSy, VarSy,
    TTSy, CodeSy, KbdSy, SampSy, OLSy, ULSy, DirSy, MenuSy, DLSy, ASy, AddressSy,
    BlockQuoteSy, PreSy, CenterSy, TableSy, TDSy, THSy, CaptionSy, FormSy, TextAreaSy,
    SelectSy, OptionSy, FontSy, SubSy, SupSy, BigSy, SmallSy, PSy, MapSy, FrameSetSy,
    NoFramesSy, ScriptSy, DivSy, SSy, StrikeSy, TRSy, NoBrSy,
    // Tags without end tags.
    LISy, BRSy, HRSy, DDSy, DTSy, ImageSy, BaseSy, ButtonSy, InputSy, SelectedSy,
    BaseFontSy, AreaSy, FrameSy, BgSoundSy, WrapSy, MetaSy, WbrSy,
    // End tags, in the order of their start tags.
    HtmlEndSy, TitleEndSy, BodyEndSy, HeadEndSy, BEndSy, IEndSy, HEndSy, EmEndSy,
    StrongEndSy, UEndSy, CiteEndSy, VarEndSy, TTEndSy, CodeEndSy, KbdEndSy, SampEndSy,
    OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, AEndSy, AddressEndSy,
    BlockQuoteEndSy, PreEndSy, CenterEndSy, TableEndSy, TDEndSy, THEndSy, CaptionEndSy,
    FormEndSy, TextAreaEndSy, SelectEndSy, OptionEndSy, FontEndSy, SubEndSy, SupEndSy,
    BigEndSy, SmallEndSy, PEndSy, MapEndSy, FrameSetEndSy, NoFramesEndSy, ScriptEndSy,
    DivEndSy, SEndSy, StrikeEndSy, TREndSy, NoBrEndSy,
    // Attributes.
    HrefAttr, NameAttr, SrcAttr, AltAttr, AlignAttr, TextAttr, BgColorAttr, LinkAttr,
    BackgroundAttr, ColSpanAttr, RowSpanAttr, BorderAttr, CellPaddingAttr,
    CellSpacingAttr, VAlignAttr, WidthAttr, StartAttr, ValueAttr, TypeAttr,
    CheckBoxAttr, RadioAttr, MethodAttr, ActionAttr, CheckedAttr, SizeAttr,
    MaxLengthAttr, ColsAttr, RowsAttr, MultipleAttr, SelectedAttr, FaceAttr, ColorAttr,
    TranspAttr, ClearAttr, IsMapAttr, BorderColorAttr, UseMapAttr, ShapeAttr,
    CoordsAttr, NoHrefAttr, HeightAttr, PlainAttr, TargetAttr, NoResizeAttr,
    ScrollingAttr, HSpaceAttr, LanguageAttr, FrameBorderAttr, MarginWidthAttr,
    MarginHeightAttr, LoopAttr, OnClickAttr, WrapAttr, NoShadeAttr, HttpEquivAttr,
    ContentAttr, EncTypeAttr, VLinkAttr, OLinkAttr, ActiveAttr, VSpaceAttr, NoWrapAttr,
    UnknownAttr,
    // Token kinds.
    TextSy,        // a text run, a decoded entity or literal text
    OtherCharSy,   // a character that starts nothing else (a control character)
    UnknownTagSy,  // a tag not in the table, or the end of a tag without one
    EofSy,
    EolSy,         // a line end, only from the SCRIPT and TEXTAREA readers
};

// What the reader returns at the end of the text, however often it is asked.
// A byte 26 inside the text ends it there (the DOS end-of-text mark).
constexpr char EofChar = 26;

// The one error found while reading: end of file inside a comment or a "<!"
// declaration. The reader finishes the token it was reading (which ends at
// the comment) and raises the error when the next token is asked for, so
// the builder, which catches it, keeps everything before the comment.
class EParseError : public gui::Exception {
public:
    using gui::Exception::Exception;
};
inline constexpr const char* OpenCommentMessage = "Open Comment at End of HTML File";

// An include directive (<!--#command name="value" ...-->). Params holds one
// entry per attribute, NAME="value" with the name in upper case. The handler
// may point Buffer at text and set BuffSize to its length (BuffSize comes in
// as 0); the tokenizer copies those bytes before the handler's call returns
// to it, so the memory stays the handler's. The text is read in place of the
// directive. Includes do not nest.
using TIncludeType = std::function<void(gui::TObject* Sender, const gui::String& Command,
                                        gui::TStringList* Params, const char*& Buffer,
                                        std::int32_t& BuffSize)>;

// Table lookups, exposed for the builder's own use and for tests.
struct TTagEntry {
    const char* Name;
    Symb Start;
    Symb End;  // UnknownTagSy for the tags without an end tag
    bool KeepsAttributes;
};
// The tag with that upper-case name, or nullptr.
const TTagEntry* LookupTag(std::string_view UpperName);
// The attribute symbol of an upper-case name; UnknownAttr when not in the table.
Symb LookupAttribute(std::string_view UpperName);
// The text of a named entity (case-sensitive), or an empty view when unknown.
std::string_view LookupEntity(std::string_view Name);
// A character code of a numeric entity as one byte of the text: codes above
// 255 go through the code page like a UTF-16 unit (its low 16 bits); -1 when
// the code makes the entity invalid.
int NumericEntityByte(std::int32_t Code);
// Whether a symbol is the start or end of one of the 66 tags.
bool IsTagSymbol(Symb S);
// The name of a symbol, for messages and dumps ("TABLE", "/TABLE", "HREF", "text").
const char* SymbolName(Symb S);
// The integer value of a decimal text with an optional sign; 0 when it is not
// one or does not fit in 32 bits.
std::int32_t IntValueOrZero(std::string_view Text);

// Reads one page. The builder drives it: Start, one Advance, then Next (or the
// SCRIPT and TEXTAREA variants) for each token, reading Sy, Token, the
// attribute list, TagPos and HeadingLevel after each. The buffer given to
// Start is not copied and must outlive the parse. Every read stays inside the
// buffer, and time is linear in its length.
class THtmlTokenizer {
public:
    THtmlTokenizer();
    ~THtmlTokenizer();
    THtmlTokenizer(const THtmlTokenizer&) = delete;
    THtmlTokenizer& operator=(const THtmlTokenizer&) = delete;

    // The include handler and the viewer passed to it as Sender.
    void SetIncludeHandler(TIncludeType Handler, gui::TObject* Sender);

    // Makes the buffer the main source, positioned before its first
    // character; clears the token, the attribute list and the flags.
    void Start(const char* Buffer, std::size_t Length);
    // Reads the next character, skipping comments and declarations.
    void Advance();
    // Advances while the character is a space or a line end.
    void SkipBlanks();
    // Reads one token. Raises EParseError once the text has ended inside a
    // comment, and again on every later call until the next Start.
    void Next();
    // The literal readers of SCRIPT and TEXTAREA bodies.
    void NextScript();
    void NextTextArea();

    // The current character (line ends folded to CR, TAB read as a space),
    // its upper-case form (ASCII letters only) and its source position.
    char Ch() const { return FCh; }
    char LCh() const { return FLCh; }
    std::int32_t ChPos() const { return FChPos; }
    // The first attribute of the list with that symbol.
    bool Find(Symb S, TAttribute*& T) const { return FAttributes->Find(S, T); }

    Symb Sy = EofSy;
    TokenObj& Token() { return *FToken; }
    const TokenObj& Token() const { return *FToken; }
    TAttributeList& Attributes() { return *FAttributes; }
    const TAttributeList& Attributes() const { return *FAttributes; }
    std::int32_t TagPos = 0;   // the position of the "<" of the last tag
    int HeadingLevel = 0;      // 1 to 6 after H and its end, else 0

    // Flags owned by the builder.
    bool Preformatted = false;    // text runs keep their blanks
    bool NoBreak = false;         // a collapsed space becomes the no-break mark
    bool ScriptMode = false;      // "<!" starts no comment
    bool ParagraphSpace = false;  // cleared by the next content token

    // Tags keep at most this many attributes; more are read and dropped, so
    // a hostile tag cannot make the list outgrow its text many times over.
    static constexpr int MaxAttributes = 4096;
    // The mark that a collapsed space becomes while NoBreak is on.
    static constexpr char NoBreakMark = 5;

private:
    struct TSource {
        const char* Data = nullptr;
        std::size_t Length = 0;
        std::size_t Index = 0;
    };
    enum class TLastLineEnd : std::uint8_t { None, Cr, Lf };

    int RawByte();             // next byte of the current source, -1 at the end of the text
    int PeekRawByte() const;
    // One character with line-end folding, no comment skipping; inside a
    // comment the end of the text leaves the open-comment error pending.
    void ReadChar();
    void RaiseOpenComment() const;
    void SkipComment();
    void SkipDeclaration();
    void RunIncludeDirective();
    bool ReadAttribute(Symb& Sym, std::int32_t& Value, gui::String& Text, gui::String* UpperName);
    bool ReadEntity(TokenObj& Into);
    void ReadTag();
    void ReadTextRun();
    bool IsEof() const { return FCh == EofChar; }

    TSource FMain;
    TSource FInclude;
    gui::String FIncludeText;  // the copy the include source reads
    bool FIncludeActive = false;
    bool FInDirective = false;
    bool FInComment = false;
    bool FOpenComment = false;  // the text ended inside a comment: the next token raises
    TLastLineEnd FLast = TLastLineEnd::None;
    char FCh = EofChar;
    char FLCh = EofChar;
    std::int32_t FChPos = 0;
    std::unique_ptr<TokenObj> FToken;
    std::unique_ptr<TokenObj> FScratch;  // what an entity consumed, for the literal fallback
    std::unique_ptr<TokenObj> FValue;    // a quoted attribute value being read
    std::unique_ptr<TAttributeList> FAttributes;
    TIncludeType FOnInclude;
    gui::TObject* FIncludeSender = nullptr;
};

// ==== End of tokenizer ===============================================================

// ==== Document builder ==============================================================

class TSectionList;

using TSoundType = std::function<void(gui::TObject* Sender, const gui::String& SRC, std::int32_t Loop,
                                      bool Terminate)>;
using TMetaType = std::function<void(gui::TObject* Sender, const gui::String& HttpEq, const gui::String& Name,
                                     const gui::String& Content)>;
// Script is the body's text, zero-terminated; it lives for the call.
using TScriptEvent = std::function<void(gui::TObject* Sender, const gui::String& Name,
                                        const gui::String& Language, const char* Script)>;

// What the builder asks of the viewer it builds for. A tool or a test that
// has no viewer leaves IsViewer off: BODY's margins and META's character
// set then change nothing.
struct THtmlParseHooks {
    gui::TObject* Sender = nullptr;  // the viewer, Sender of every event
    bool IsViewer = false;
    bool UnderlineLinks = true;
    std::function<void(int Width, int Height)> SetMargins;  // each 0..200; -1 keeps that one
    TMetaType OnMeta;
    TSoundType OnSoundRequest;
    TIncludeType OnInclude;
    TScriptEvent OnScript;
};

// What the viewer reads after a parse.
struct THtmlParseResult {
    gui::String Title;
    gui::String Base;
    gui::String BaseTarget;
    bool NestingCut = false;  // constructs past MaxNesting were dropped
};

// Lists, centred blocks and tables nest through the builder's recursion and
// the layout's: deeper ones are read as text of the enclosing construct, so
// hostile pages cannot exhaust the stack (or, for tables, the time that each
// level multiplies).
constexpr int MaxNesting = 100;
constexpr int MaxTableNesting = 8;

// Fills Doc from the page. NameList (may be null) receives one entry per
// anchor: the upper-case name without "#", the section it stands in; the
// viewer keeps it sorted, case-insensitive, first anchor winning. A file
// that cannot be read raises gui::Exception; an end of file inside a
// comment keeps what was built before it.
THtmlParseResult HtmlParseFile(TSectionList* Doc, gui::TStringList* NameList, const gui::String& FileName,
                               const THtmlParseHooks& Hooks = {});
THtmlParseResult HtmlParseString(TSectionList* Doc, gui::TStringList* NameList, const char* Text,
                                 std::size_t Length, const THtmlParseHooks& Hooks = {});

// A colour value as the builder reads it: one of the sixteen names, or
// hexadecimal RRGGBB ("#" optional, short values padded on the right with
// "0"), as $00BBGGRR without the palette flag; false when it does not parse.
bool ParseColorValue(const gui::String& Value, gui::TColor& Color);
// The nominal point size of FONT SIZE 1 to 7 (clamped), in ordinary or
// preformatted text.
int FontSizeOfNumber(int Number, bool Preformatted);
// The Windows character set named in a META content type, or -1.
int CharsetOfContentType(const gui::String& Content);

// ==== End of document builder ========================================================

}  // namespace htmlview
