// The document builder: one pass over the token stream, every tag acting at
// once on the document under construction. This file holds the entry
// points, the body, list and preformatted loops and the handler of the tags
// that may stand in any flowing text.
#include "htmlview/HtmlBuilder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "htmlview/HtmlImages.h"

namespace htmlview {

using namespace gui;

namespace {

const int NormalSizes[7] = {8, 10, 12, 14, 18, 24, 36};
const int PreSizes[7] = {7, 8, 10, 12, 15, 20, 30};

String Upper(String S) {
    for (char& c : S) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return S;
}

bool IsListEnd(Symb S) {
    switch (S) {
    case OLEndSy: case ULEndSy: case DirEndSy: case MenuEndSy: case DLEndSy: case BlockQuoteEndSy:
        return true;
    default:
        return false;
    }
}

// Keeps the builder's no-break flag and the tokenizer's in step.
struct TNoBreak {
    static void Set(TSectionList* Doc, THtmlTokenizer& Tok, bool On) {
        Doc->Build.NoBreak = On;
        Tok.NoBreak = On;
    }
};

}  // namespace

String LowerValue(const TAttribute* A) { return A ? LowerCase(A->Name) : String(); }

bool ParseColorValue(const String& Value, TColor& Color) {
    static const struct {
        const char* Name;
        TColor Value;
    } Names[] = {{"BLACK", 0x000000}, {"MAROON", 0x000080}, {"GREEN", 0x008000},   {"OLIVE", 0x008080},
                 {"NAVY", 0x800000},  {"PURPLE", 0x800080}, {"TEAL", 0x808000},    {"GRAY", 0x808080},
                 {"SILVER", 0xC0C0C0}, {"RED", 0x0000FF},   {"LIME", 0x00FF00},    {"YELLOW", 0x00FFFF},
                 {"BLUE", 0xFF0000},  {"FUCHSIA", 0xFF00FF}, {"AQUA", 0xFFFF00},   {"WHITE", 0xFFFFFF}};
    const String v = Trim(Value);
    if (v.empty()) return false;
    const String name = Upper(v.substr(0, 10));
    for (const auto& n : Names)
        if (name == n.Name) {
            Color = n.Value;
            return true;
        }
    String hex = v;
    const std::size_t hash = hex.find('#');
    if (hash != String::npos) hex.erase(hash, 1);
    if (hex.empty() || hex.size() > 8) return false;
    while (hex.size() < 6) hex += '0';
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    const unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
    Color = static_cast<TColor>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    return true;
}

int FontSizeOfNumber(int Number, bool Preformatted) {
    const int i = std::clamp(Number, 1, 7) - 1;
    return Preformatted ? PreSizes[i] : NormalSizes[i];
}

int CharsetOfContentType(const String& Content) {
    static const struct {
        const char* Key;
        int Charset;
    } Table[] = {{"1252", 0},   {"8859-1", 0},   {"1253", 161}, {"8859-7", 161}, {"1250", 238},
                 {"8859-2", 238}, {"1251", 204}, {"8859-5", 204}, {"koi8-r", 204}, {"1254", 162},
                 {"8859-3", 162}, {"8859-9", 162}, {"1257", 186}, {"8859-4", 186}};
    const String c = LowerCase(Content);
    for (const auto& e : Table)
        if (c.find(e.Key) != String::npos) return e.Charset;
    return -1;
}

// ---- Set-up and clean-up ------------------------------------------------------------------------

THtmlBuilder::THtmlBuilder(TSectionList* ADoc, TStringList* ANameList, const THtmlParseHooks& AHooks)
    : Doc(ADoc), NameList(ANameList), Hooks(AHooks), FCurrentCell(ADoc) {
    FTok.SetIncludeHandler(Hooks.OnInclude, Hooks.Sender);
    auto base = std::make_unique<TMyFont>();
    base->SetName(Doc->FontName);
    base->SetColor(Doc->FontColor);
    base->SetCharset(Doc->Charset);
    FFonts.push_back(std::move(base));
    SetNominal(Font(), 12);
    Doc->Build = TBuildState{};
    Doc->CurrentForm = nullptr;
    FSection = std::make_unique<TSection>(FCurrentCell, TSection::Left, nullptr, Font(), 0);
}

THtmlBuilder::~THtmlBuilder() {
    // Whatever ended the parse, the open section joins the document.
    CloseSection();
    Doc->Build = TBuildState{};
    Doc->CurrentForm = nullptr;
    ListIndentStep = 35;
}

void THtmlBuilder::Run(const char* Buffer, std::size_t Length) {
    FTok.Start(Buffer, Length);
    try {
        FTok.Advance();
        Next();
        BodyLoop(0, TSymbSet{});
    } catch (const EParseError&) {
        // An unterminated comment: the document keeps what came before it.
    }
}

void THtmlBuilder::Next() { FTok.Next(); }

// ---- Sections and fonts ----------------------------------------------------------------------------

void THtmlBuilder::CloseSection() {
    if (!FSection) return;
    if (FCurrentCell)
        FCurrentCell->AddSection(std::move(FSection));
    FSection.reset();
}

void THtmlBuilder::NewSection(std::uint8_t Justify, int Level, const TMyFont& F, bool WithLink) {
    CloseSection();
    FSection = std::make_unique<TSection>(FCurrentCell, Justify, WithLink ? &FLink : nullptr, F, Level);
}

void THtmlBuilder::OpenSection(int Level) {
    if (!FSection) NewSection(FJustify, Level, Font());
}

void THtmlBuilder::RecordFontChange() {
    if (FSection) FSection->ChangeFont(Font());
}

void THtmlBuilder::LinkStart() {
    if (FSection) FSection->ChangeFontAndLink(true, Font(), &FLink);
}

void THtmlBuilder::EndLink() {
    if (FInLink) {
        FLink.Clear();
        FInLink = false;
        Pop();
    }
    if (!FSection) return;
    // Only a font that carries a link needs the link taken off.
    if (FSection->Fonts.Font(FSection->Fonts.Count() - 1)->HasLink())
        FSection->ChangeFontAndLink(false, Font(), nullptr);
    else
        FSection->ChangeFont(Font());
}

void THtmlBuilder::AddAnchor(const String& Name) {
    if (!NameList) return;
    String key = Upper(Name);
    if (!key.empty() && key[0] == '#') key.erase(0, 1);
    NameList->AddObject(key, FSection.get());
}

bool THtmlBuilder::Push() {
    if (FFonts.size() >= MaxFonts) return false;
    auto f = std::make_unique<TMyFont>();
    f->Assign(&Font());
    FFonts.push_back(std::move(f));
    return true;
}

void THtmlBuilder::Pop() {
    if (FFonts.size() > 1) FFonts.pop_back();
}

void THtmlBuilder::PopTo(std::size_t Height) {
    while (FFonts.size() > std::max<std::size_t>(Height, 1)) FFonts.pop_back();
}

void THtmlBuilder::SetNominal(TMyFont& F, int Size) {
    F.NormalSize = Size;
    F.SetSize(EffectiveSize(Doc->FontSize, Size));
}

void THtmlBuilder::SetStyle(TFontStyle S, bool On) {
    if (On)
        Doc->Build.Style << S;
    else
        Doc->Build.Style >> S;
}

std::uint8_t THtmlBuilder::AlignValue(Symb A, std::uint8_t Default) const {
    TAttribute* t = nullptr;
    if (!Attr(A, t)) return Default;
    const String v = LowerValue(t);
    if (v == "left") return TSection::Left;
    if (v == "center") return TSection::Centre;
    if (v == "right") return TSection::Right;
    return Default;
}

// ---- Body loop ---------------------------------------------------------------------------------------

void THtmlBuilder::DoBody() {
    // Only before any content: the open section may already hold text.
    if (FCurrentCell->Count() != 0 || (FSection && FSection->Len != 0)) return;
    FSection.reset();
    auto& attrs = FTok.Attributes();
    for (int i = 0; i < attrs.Count(); ++i) {
        const TAttribute* a = attrs.Attr(i);
        TColor c = 0;
        const bool colour = ParseColorValue(a->Name, c);
        c |= static_cast<TColor>(PALETTE_RELATIVE);
        switch (a->Which) {
        case TextAttr:
            if (colour) {
                Font().SetColor(c);
                Doc->FontColor = c;
            }
            break;
        case LinkAttr:
            if (colour) Doc->HotSpotColor = c;
            break;
        case VLinkAttr:
            if (colour) Doc->LinkVisitedColor = c;
            break;
        case OLinkAttr:
            if (colour) {
                Doc->LinkActiveColor = c;
                Doc->LinksActive = true;
            }
            break;
        case BgColorAttr:
            if (colour) Doc->SetBackground(c);
            break;
        case BackgroundAttr:
            Doc->BitmapName = a->Name;
            Doc->BitmapLoaded = false;
            break;
        case MarginWidthAttr:
            if (Hooks.IsViewer && Hooks.SetMargins) Hooks.SetMargins(std::clamp(a->Value, 0, 200), -1);
            break;
        case MarginHeightAttr:
            if (Hooks.IsViewer && Hooks.SetMargins) Hooks.SetMargins(-1, std::clamp(a->Value, 0, 200));
            break;
        default:
            break;
        }
    }
    FSection = std::make_unique<TSection>(FCurrentCell, FJustify, nullptr, *FFonts.front(), 0);
}

void THtmlBuilder::DoMeta() {
    TAttribute* t = nullptr;
    const String httpEq = Attr(HttpEquivAttr, t) ? t->Name : String();
    const String name = Attr(NameAttr, t) ? t->Name : String();
    const String content = Attr(ContentAttr, t) ? t->Name : String();
    if (Hooks.IsViewer && LowerCase(httpEq) == "content-type") {
        const int cs = CharsetOfContentType(content);
        Font().SetCharset(static_cast<TFontCharset>(cs >= 0 ? cs : Doc->Charset));
    }
    if (Hooks.OnMeta) Hooks.OnMeta(Hooks.Sender, httpEq, name, content);
}

void THtmlBuilder::DoSound() {
    TAttribute* t = nullptr;
    if (!Hooks.OnSoundRequest || !Attr(SrcAttr, t)) return;
    const String src = t->Name;
    const std::int32_t loop = Attr(LoopAttr, t) ? t->Value : 1;
    Hooks.OnSoundRequest(Hooks.Sender, src, loop, false);
}

void THtmlBuilder::BodyLoop(int Level, const TSymbSet& Term) {
    while (FTok.Sy != EofSy) {
        const Symb sy = FTok.Sy;
        switch (sy) {
        case TitleSy:
            Next();
            while (FTok.Sy == TextSy) {
                Result.Title += FTok.Token().S;
                Next();
            }
            break;
        case BodySy:
            DoBody();
            Next();
            break;
        case HRSy:
            CloseSection();
            FCurrentCell->AddSection(std::make_unique<THorzLine>(FCurrentCell, FTok.Attributes()));
            Next();
            break;
        case BaseSy: {
            TAttribute* t = nullptr;
            if (Attr(HrefAttr, t)) Result.Base = t->Name;
            if (Attr(TargetAttr, t)) Result.BaseTarget = t->Name;
            Next();
            break;
        }
        case OLSy: case ULSy: case DirSy: case MenuSy: case DLSy:
            ListLoop(1, sy, Term);
            Next();
            break;
        case LISy:
            if (Level != 0)
                Next();
            else
                StrayItem();
            break;
        case BlockQuoteSy:
            CloseSection();
            ListLoop(1, BlockQuoteSy, Term);
            Next();
            break;
        case CenterSy: case DivSy:
            CenterOrDiv(Level, Term);
            break;
        case BgSoundSy:
            DoSound();
            Next();
            break;
        case MetaSy:
            DoMeta();
            Next();
            break;
        default:
            if (IsCommon(sy))
                Common(Level);
            else if (Term.Has(sy))
                return;
            else
                Next();
            break;
        }
    }
    Next();
}

void THtmlBuilder::CenterOrDiv(int Level, const TSymbSet& Term) {
    const std::uint8_t saved = FJustify;
    CloseSection();
    if (FTok.Sy == CenterSy)
        FJustify = TSection::Centre;
    else
        FJustify = AlignValue(AlignAttr, FJustify);
    NewSection(FJustify, Level, Font());
    Next();
    if (FDepth < MaxNesting) {
        ++FDepth;
        BodyLoop(Level, Term.Plus({CenterEndSy, DivEndSy}));
        --FDepth;
    } else {
        Result.NestingCut = true;
    }
    CloseSection();
    FJustify = saved;
    NewSection(FJustify, Level, Font());
    if (FTok.Sy == CenterEndSy || FTok.Sy == DivEndSy) Next();
}

void THtmlBuilder::StrayItem() {
    CloseSection();
    const int savedStep = ListIndentStep;
    ListIndentStep = StrayListIndentStep;
    FSection = std::make_unique<TUListItem>(FCurrentCell, &FLink, Font(), 1);
    FTok.SkipBlanks();
    Next();
    for (;;) {
        switch (FTok.Sy) {
        case BSy: case ISy: case EmSy: case StrongSy: case USy: case CiteSy: case VarSy: case TTSy:
        case CodeSy: case KbdSy: case SampSy: case ASy: case SubSy: case SupSy: case BigSy: case SmallSy:
        case SSy: case StrikeSy: case NoBrSy:
        case BEndSy: case IEndSy: case EmEndSy: case StrongEndSy: case UEndSy: case CiteEndSy:
        case VarEndSy: case TTEndSy: case CodeEndSy: case KbdEndSy: case SampEndSy: case AEndSy:
        case SubEndSy: case SupEndSy: case BigEndSy: case SmallEndSy: case SEndSy: case StrikeEndSy:
        case NoBrEndSy: case FontEndSy: case WbrSy: case TextSy:
            Common(1);
            continue;
        default:
            break;
        }
        break;
    }
    CloseSection();
    ListIndentStep = savedStep;
}

// ---- List loop ----------------------------------------------------------------------------------------

void THtmlBuilder::ListLoop(int Level, Symb K, const TSymbSet& Term) {
    int number = 1;
    char numType = '1';
    bool plain = false;
    TAttribute* t = nullptr;
    if (K == OLSy) {
        if (Attr(StartAttr, t) && t->Value >= 0) number = t->Value;
        if (Attr(TypeAttr, t) && !t->Name.empty()) numType = t->Name[0];
    } else if (K == ULSy) {
        plain = Attr(PlainAttr, t);
    }
    CloseSection();
    Next();
    if (IsListEnd(FTok.Sy)) return;
    if (FDepth >= MaxNesting) {
        // Too deep: the list's content flows into the enclosing one.
        Result.NestingCut = true;
        return;
    }
    ++FDepth;
    int itemLevel = Level;
    const TSymbSet blockTerm =
        Term.Plus({OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, BlockQuoteEndSy, EofSy});
    bool ignoreItems = false;
    while (!IsListEnd(FTok.Sy) && FTok.Sy != EofSy) {
        const Symb sy = FTok.Sy;
        if (IsCommon(sy) && sy != TableSy) {
            Common(itemLevel);
            continue;
        }
        switch (sy) {
        case HRSy:
            CloseSection();
            FCurrentCell->AddSection(std::make_unique<THorzLine>(FCurrentCell, FTok.Attributes()));
            Next();
            break;
        case OLSy: case ULSy: case DirSy: case MenuSy: case DLSy:
            ListLoop(Level + 1, sy, Term);
            Next();
            break;
        case LISy:
            if (ignoreItems) {
                Next();
                break;
            }
            CloseSection();
            if (K == OLSy) {
                FSection = std::make_unique<TOListItem>(FCurrentCell, &FLink, Font(), numType, number, Level);
                if (number < 0x7FFFFFFF) ++number;
            } else {
                auto item = std::make_unique<TUListItem>(FCurrentCell, &FLink, Font(), Level);
                item->PlainItem = K == ULSy && plain;
                FSection = std::move(item);
            }
            FTok.SkipBlanks();
            Next();
            if (FTok.Sy == PSy) Next();
            itemLevel = Level;
            break;
        case DDSy: case DTSy:
            CloseSection();
            itemLevel = sy == DDSy ? Level : Level - 1;
            FSection = std::make_unique<TDListItem>(FCurrentCell, &FLink, Font(), itemLevel);
            Next();
            break;
        case BlockQuoteSy:
            CloseSection();
            ListLoop(Level + 1, BlockQuoteSy, Term);
            Next();
            break;
        case CenterSy: case DivSy:
            CenterOrDiv(itemLevel, blockTerm);
            ignoreItems = true;
            break;
        case TableSy:
            if (FSection) FSection->MakeNonEmpty();
            TableLoop(itemLevel);
            break;
        default:
            if (Term.Has(sy)) {
                --FDepth;
                CloseSection();
                return;
            }
            Next();
            break;
        }
    }
    --FDepth;
    CloseSection();
}

// ---- Common handler ---------------------------------------------------------------------------------------

bool THtmlBuilder::IsCommon(Symb S) const {
    switch (S) {
    case PSy: case PEndSy: case BSy: case ISy: case EmSy: case StrongSy: case USy: case CiteSy: case VarSy:
    case SubSy: case SupSy: case SSy: case StrikeSy: case BEndSy: case IEndSy: case EmEndSy:
    case StrongEndSy: case UEndSy: case CiteEndSy: case VarEndSy: case SubEndSy: case SupEndSy:
    case SEndSy: case StrikeEndSy: case BRSy: case HSy: case HEndSy: case TTSy: case CodeSy: case KbdSy:
    case SampSy: case TTEndSy: case CodeEndSy: case KbdEndSy: case SampEndSy: case AddressSy:
    case AddressEndSy: case PreSy: case ImageSy: case ASy: case AEndSy: case TextSy: case TableSy:
    case InputSy: case SelectSy: case FormSy: case FormEndSy: case TextAreaSy: case TextAreaEndSy:
    case FontSy: case FontEndSy: case BaseFontSy: case BigSy: case SmallSy: case BigEndSy:
    case SmallEndSy: case MapSy: case ScriptSy: case NoBrSy: case NoBrEndSy: case WbrSy:
        return true;
    default:
        return false;
    }
}

void THtmlBuilder::Paragraph(int Level) {
    CloseSection();
    if (!FTok.ParagraphSpace) FCurrentCell->AddSection(std::make_unique<TParagraphSpace>(FCurrentCell));
    std::uint8_t align = FJustify;
    do {
        align = FTok.Sy == PSy ? AlignValue(AlignAttr, FJustify) : FJustify;
        FTok.SkipBlanks();
        FTok.ParagraphSpace = true;
        Next();
    } while (FTok.Sy == PSy || FTok.Sy == PEndSy);
    NewSection(align, Level, Font());
}

void THtmlBuilder::Heading(int Level) {
    if (FFonts.size() < MaxFonts) {
        static const int HeadSizes[7] = {12, 24, 18, 14, 12, 10, 8};
        const int h = std::clamp(FTok.HeadingLevel, 0, 6);
        CloseSection();
        Push();
        SetNominal(Font(), HeadSizes[h]);
        if (h >= 1) Font().SetStyle(Font().Style() + TFontStyles{} << fsBold);
        FCurrentCell->AddSection(std::make_unique<THeadingSpace>(FCurrentCell, h));
        NewSection(AlignValue(AlignAttr, FJustify), Level, Font());
    }
    Next();
}

void THtmlBuilder::Anchor() {
    auto& attrs = FTok.Attributes();
    for (int i = 0; i < attrs.Count(); ++i) {
        const TAttribute* a = attrs.Attr(i);
        if (a->Which == HrefAttr) {
            EndLink();
            TAttribute* t = nullptr;
            FLink.Url = a->Name;
            FLink.Target = Attr(TargetAttr, t) ? t->Name : String();
            FInLink = true;
            Push();  // with a full stack the link keeps the current font
            if (Hooks.UnderlineLinks) Font().SetStyle(Font().Style() + TFontStyles{} << fsUnderline);
            Font().SetColor(Doc->HotSpotColor);
            LinkStart();
        } else if (a->Which == NameAttr) {
            OpenSection(0);
            AddAnchor(a->Name);
        }
    }
    Next();
}

bool THtmlBuilder::FontTag(bool Pre) {
    const bool base = FTok.Sy == BaseFontSy;
    auto& attrs = FTok.Attributes();
    bool any = false, haveColour = false, haveSize = false;
    TColor colour = 0;
    int size = 3;
    String face;
    for (int i = 0; i < attrs.Count(); ++i) {
        const TAttribute* a = attrs.Attr(i);
        if (a->Which == SizeAttr) {
            std::int64_t n = a->Value;
            if (a->Name.size() > 1 && (a->Name[0] == '+' || a->Name[0] == '-')) n += FBaseFontNumber;
            size = static_cast<int>(std::clamp<std::int64_t>(n, 1, 7));
            if (base) FBaseFontNumber = size;
            haveSize = any = true;
        } else if (a->Which == ColorAttr && !base) {
            any = true;
            haveColour = ParseColorValue(a->Name, colour) || haveColour;
        } else if (a->Which == FaceAttr && !base) {
            any = true;
            String f = a->Name.substr(0, 50);
            f = Trim(f.substr(0, f.find(',')));
            if (!f.empty()) face = f;
        }
    }
    if (base && (FCurrentCell != Doc || Doc->Count() != 0 || (FSection && FSection->Len != 0))) return false;
    if (!any || !Push()) return false;
    if (haveColour) Font().SetColor(colour | static_cast<TColor>(PALETTE_RELATIVE));
    if (haveSize) SetNominal(Font(), FontSizeOfNumber(size, Pre));
    if (!face.empty()) Font().SetName(face);
    return true;
}

void THtmlBuilder::BigSmall() {
    const bool big = FTok.Sy == BigSy;
    int index = 3;
    for (int i = 0; i < 7; ++i)
        if (NormalSizes[i] == Font().NormalSize) index = i + 1;
    if (big && index <= 6) ++index;
    if (!big && index >= 2) --index;
    if (Push()) {
        SetNominal(Font(), NormalSizes[index - 1]);
        RecordFontChange();
    }
    Next();
}

void THtmlBuilder::Common(int Level) {
    const Symb sy = FTok.Sy;
    switch (sy) {
    case PSy: case PEndSy:
        Paragraph(Level);
        return;
    case BSy: case StrongSy: case BEndSy: case StrongEndSy:
        SetStyle(fsBold, sy == BSy || sy == StrongSy);
        break;
    case ISy: case EmSy: case CiteSy: case VarSy: case IEndSy: case EmEndSy: case CiteEndSy: case VarEndSy:
        SetStyle(fsItalic, sy == ISy || sy == EmSy || sy == CiteSy || sy == VarSy);
        break;
    case USy: case UEndSy:
        SetStyle(fsUnderline, sy == USy);
        break;
    case SSy: case StrikeSy: case SEndSy: case StrikeEndSy:
        SetStyle(fsStrikeOut, sy == SSy || sy == StrikeSy);
        break;
    case SubSy: case SupSy:
        OpenSection(Level);
        Doc->Build.Shift = sy == SubSy ? Subscript : Superscript;
        break;
    case SubEndSy: case SupEndSy:
        Doc->Build.Shift = NormalScript;
        break;
    case BRSy: {
        const std::uint8_t j = FSection ? FSection->MakeNonEmpty() : FJustify;
        if (FSection && FSection->Len == 1 && FSection->SIndexList.size() == 1) FSection->SIndexList[0] = FTok.TagPos;
        NewSection(j, Level, Font());
        TAttribute* t = nullptr;
        if (Attr(ClearAttr, t)) FSection->SetClear(t->Name);
        Next();
        return;
    }
    case HSy:
        Heading(Level);
        return;
    case HEndSy:
        if (FFonts.size() > 1) {
            CloseSection();
            FCurrentCell->AddSection(std::make_unique<THeadingSpace>(FCurrentCell, FTok.HeadingLevel));
            Pop();
        }
        Next();
        return;
    case TTSy: case CodeSy: case KbdSy: case SampSy:
        if (Push()) {
            Font().SetName(Doc->PreFontName);
            SetNominal(Font(), 10);
            Font().Fixed = true;
            RecordFontChange();
        }
        Next();
        return;
    case TTEndSy: case CodeEndSy: case KbdEndSy: case SampEndSy: case FontEndSy: case BigEndSy: case SmallEndSy:
        Pop();
        RecordFontChange();
        Next();
        return;
    case AddressSy:
        CloseSection();
        Push();
        Font().SetStyle(Font().Style() + TFontStyles{} << fsItalic);
        OpenSection(Level);
        Next();
        return;
    case AddressEndSy:
        CloseSection();
        Pop();
        Next();
        return;
    case PreSy:
        PreLoop(Level);
        return;
    case ImageSy:
        OpenSection(Level);
        FSection->AddImage(FTok.Attributes(), FTok.TagPos);
        Next();
        return;
    case ASy:
        Anchor();
        return;
    case AEndSy:
        EndLink();
        Next();
        return;
    case TextSy:
        OpenSection(Level);
        FSection->AppendText(FTok.Token());
        Next();
        return;
    case TableSy:
        TableLoop(Level);
        return;
    case InputSy: case SelectSy: case TextAreaSy:
        FormControl(Level);
        return;
    case TextAreaEndSy:
        Next();
        return;
    case FormSy:
        Doc->AddForm(std::make_unique<ThtmlForm>(Doc, &FTok.Attributes()));
        Next();
        return;
    case FormEndSy:
        Doc->CurrentForm = nullptr;
        Next();
        return;
    case FontSy: case BaseFontSy:
        if (FontTag(FTok.Preformatted)) RecordFontChange();
        Next();
        return;
    case BigSy: case SmallSy:
        BigSmall();
        return;
    case MapSy:
        MapLoop();
        return;
    case ScriptSy:
        ScriptLoop();
        Next();
        return;
    case NoBrSy: case NoBrEndSy:
        TNoBreak::Set(Doc, FTok, sy == NoBrSy);
        Next();
        return;
    case WbrSy:
        if (FSection && Doc->Build.NoBreak) FSection->AppendChar(' ', FTok.TagPos);
        Next();
        return;
    default:
        Next();
        return;
    }
    RecordFontChange();
    Next();
}

// ---- Preformatted loop ---------------------------------------------------------------------------------------

void THtmlBuilder::PreLoop(int Level) {
    CloseSection();
    const std::size_t height = FFonts.size();
    const bool pushed = Push();
    if (pushed) {
        Font().SetName(Doc->PreFontName);
        SetNominal(Font(), 10);
        Font().Fixed = true;
    }
    const std::size_t blockHeight = FFonts.size();
    auto newPre = [&] {
        CloseSection();
        FSection = std::make_unique<TPreFormated>(FCurrentCell, TSection::Left, &FLink, Font(), Level);
    };
    newPre();
    FTok.Preformatted = true;
    TokenObj line;
    auto flush = [&] {
        if (FSection && line.Leng() > 0) FSection->AppendText(line);
        line.Clear();
    };
    auto newLine = [&] {
        flush();
        newPre();
    };
    bool done = false;
    while (!done) {
        const char ch = FTok.Ch();
        if (ch == '\r') {
            newLine();
            FTok.Advance();
        } else if (ch == EofChar) {
            done = true;
        } else if (ch == '&') {
            FTok.Next();
            line.AddString(FTok.Token());
        } else if (ch != '<') {
            line.AddChar(ch, FTok.ChPos());
            if (line.Leng() > 200) flush();
            FTok.Advance();
        } else {
            FTok.Next();
            const Symb sy = FTok.Sy;
            switch (sy) {
            case PSy: case BRSy:
                newLine();
                if (FTok.Ch() == '\r') FTok.Advance();
                break;
            case BSy: case ISy: case EmSy: case StrongSy: case USy: case CiteSy: case VarSy: case SSy:
            case StrikeSy: case BEndSy: case IEndSy: case EmEndSy: case StrongEndSy: case UEndSy:
            case CiteEndSy: case VarEndSy: case SEndSy: case StrikeEndSy:
                flush();
                if (sy == BSy || sy == StrongSy || sy == BEndSy || sy == StrongEndSy)
                    SetStyle(fsBold, sy == BSy || sy == StrongSy);
                else if (sy == USy || sy == UEndSy)
                    SetStyle(fsUnderline, sy == USy);
                else if (sy == SSy || sy == StrikeSy || sy == SEndSy || sy == StrikeEndSy)
                    SetStyle(fsStrikeOut, sy == SSy || sy == StrikeSy);
                else
                    SetStyle(fsItalic, sy == ISy || sy == EmSy || sy == CiteSy || sy == VarSy);
                RecordFontChange();
                break;
            case PreEndSy: case TDEndSy: case THEndSy: case EofSy:
                done = true;
                break;
            case ImageSy:
                flush();
                if (FSection) FSection->AddImage(FTok.Attributes(), FTok.TagPos);
                break;
            case ASy: {
                TAttribute* t = nullptr;
                if (Attr(HrefAttr, t)) {
                    flush();
                    EndLink();
                    const String url = t->Name;
                    FLink.Url = url;
                    FLink.Target = Attr(TargetAttr, t) ? t->Name : String();
                    FInLink = true;
                    Push();
                    if (Hooks.UnderlineLinks) Font().SetStyle(Font().Style() + TFontStyles{} << fsUnderline);
                    Font().SetColor(Doc->HotSpotColor);
                    LinkStart();
                }
                if (Attr(NameAttr, t)) AddAnchor(t->Name);
                break;
            }
            case AEndSy:
                flush();
                EndLink();
                break;
            case InputSy: case SelectSy: case TextAreaSy:
                flush();
                FormControl(-1);
                break;
            case FormSy:
                Doc->AddForm(std::make_unique<ThtmlForm>(Doc, &FTok.Attributes()));
                break;
            case FormEndSy:
                Doc->CurrentForm = nullptr;
                break;
            case FontSy: case BaseFontSy:
                flush();
                if (FontTag(true)) RecordFontChange();
                break;
            case FontEndSy:
                if (FFonts.size() > blockHeight) {
                    Pop();
                    flush();
                    RecordFontChange();
                }
                break;
            case MapSy:
                MapLoop();
                continue;  // the map loop has read the token after it
            case ScriptSy:
                ScriptLoop();
                break;
            default:
                break;
            }
        }
    }
    flush();
    CloseSection();
    FTok.Preformatted = false;
    PopTo(pushed ? height : blockHeight);
    Next();
}

// ---- Entry points ---------------------------------------------------------------------------------------------------

THtmlParseResult HtmlParseString(TSectionList* Doc, TStringList* NameList, const char* Text, std::size_t Length,
                                 const THtmlParseHooks& Hooks) {
    const String copy(Text ? Text : "", Text ? Length : 0);
    THtmlBuilder b(Doc, NameList, Hooks);
    b.Run(copy.data(), copy.size());
    return std::move(b.Result);
}

THtmlParseResult HtmlParseFile(TSectionList* Doc, TStringList* NameList, const String& FileName,
                               const THtmlParseHooks& Hooks) {
    std::ifstream in(FileName, std::ios::binary);
    if (!in) throw Exception("Can't open file: " + FileName);
    const String text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Exception("Can't read file: " + FileName);
    THtmlBuilder b(Doc, NameList, Hooks);
    b.Run(text.data(), text.size());
    return std::move(b.Result);
}

}  // namespace htmlview
