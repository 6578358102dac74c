// The document builder's working state, shared by its source files (general
// flow, tables, forms and the other literal readers). Not a public header:
// callers use HtmlParseFile and HtmlParseString from HtmlParse.h.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlParse.h"

namespace htmlview {

// A set of symbols that end a loop.
class TSymbSet {
public:
    TSymbSet() = default;
    TSymbSet(std::initializer_list<Symb> L) {
        for (Symb s : L) Add(s);
    }
    void Add(Symb S) { FBits[S / 64] |= std::uint64_t{1} << (S % 64); }
    TSymbSet Plus(std::initializer_list<Symb> L) const {
        TSymbSet r = *this;
        for (Symb s : L) r.Add(s);
        return r;
    }
    bool Has(Symb S) const { return (FBits[S / 64] >> (S % 64)) & 1; }

private:
    std::uint64_t FBits[4] = {};
};

class THtmlBuilder {
public:
    THtmlBuilder(TSectionList* ADoc, gui::TStringList* ANameList, const THtmlParseHooks& AHooks);
    ~THtmlBuilder();  // the parse-end clean-up
    THtmlBuilder(const THtmlBuilder&) = delete;
    THtmlBuilder& operator=(const THtmlBuilder&) = delete;

    // Parses the buffer (which must outlive the call) into the document.
    void Run(const char* Buffer, std::size_t Length);
    THtmlParseResult Result;

    static constexpr int MaxFonts = 25;

private:
    friend struct TBuilderAccess;
    // Flow (HtmlBuilder.cpp).
    void Next();
    void BodyLoop(int Level, const TSymbSet& Term);
    bool IsCommon(Symb S) const;
    void Common(int Level);
    void ListLoop(int Level, Symb K, const TSymbSet& Term);
    void StrayItem();
    void CenterOrDiv(int Level, const TSymbSet& Term);
    void Paragraph(int Level);
    void Heading(int Level);
    void Anchor();
    void PreLoop(int Level);
    bool FontTag(bool Pre);
    void BigSmall();
    void DoBody();
    void DoMeta();
    void DoSound();
    // Tables (HtmlBuilderTables.cpp).
    void TableLoop(int Level);
    // Forms, maps and scripts (HtmlBuilderForms.cpp).
    void FormControl(int Level);
    void SelectLoop(TSelectFormControlObj* Ctl);
    void TextAreaLoop(TTextAreaFormControlObj* Ctl);
    void MapLoop();
    void ScriptLoop();

    // Sections.
    void CloseSection();
    void OpenSection(int Level);  // when none is open
    void NewSection(std::uint8_t Justify, int Level, const TMyFont& Font, bool WithLink = true);
    void RecordFontChange();
    void LinkStart();
    void EndLink();
    void AddAnchor(const String& Name);
    // Fonts.
    TMyFont& Font() { return *FFonts.back(); }
    bool Push();
    void Pop();
    void PopTo(std::size_t Height);
    void SetNominal(TMyFont& F, int Size);
    void SetStyle(gui::TFontStyle S, bool On);
    std::uint8_t AlignValue(Symb Attr, std::uint8_t Default) const;
    bool Attr(Symb S, TAttribute*& T) const { return FTok.Find(S, T); }

    TSectionList* Doc;
    gui::TStringList* NameList;
    const THtmlParseHooks& Hooks;
    THtmlTokenizer FTok;
    TCell* FCurrentCell;
    std::unique_ptr<TSection> FSection;
    std::vector<std::unique_ptr<TMyFont>> FFonts;
    TUrlTarget FLink;
    bool FInLink = false;
    std::uint8_t FJustify = TSection::Left;
    int FBaseFontNumber = 3;
    int FDepth = 0;       // nested loops in progress
    int FTableDepth = 0;  // tables among them
};

// The value of an attribute in lower case.
String LowerValue(const TAttribute* A);

}  // namespace htmlview
