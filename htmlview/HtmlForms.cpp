// Forms and their controls: each control object owns a GUI-layer control on
// the document's paint panel, sizes it from the canvas, resets it, and gives
// its part of the form's submission.
#include <algorithm>
#include <cstdlib>

#include "gui/windows/Controls.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/StdCtrls.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlParse.h"

namespace htmlview {

using namespace gui;

const TFormSymbols DefaultFormSymbols{NameAttr,     ValueAttr,  TypeAttr,     CheckedAttr, SizeAttr,
                                       MaxLengthAttr, ColsAttr,   RowsAttr,     MultipleAttr, MethodAttr,
                                       ActionAttr,   TargetAttr, EncTypeAttr,  OnClickAttr, WrapAttr};

namespace {

bool FindAttr(const TAttributeList& Attrs, std::uint8_t Sym, TAttribute*& T) { return Attrs.Find(Sym, T); }

bool SameText(const String& A, const String& B) { return LowerCase(A) == LowerCase(B); }

// Height and width of "A" in the control's font, on the canvas.
struct TLetter {
    int W = 0, H = 0;
};
TLetter LetterA(TCanvas* Canvas, TFont* Font) {
    TFont saved;
    saved.Assign(Canvas->Font());
    Canvas->Font()->Assign(Font);
    TLetter r{Canvas->TextWidth("A"), Canvas->TextHeight("A")};
    Canvas->Font()->Assign(&saved);
    return r;
}

}  // namespace

// ---- ThtmlForm ----------------------------------------------------------------------------

ThtmlForm::ThtmlForm(TSectionList* ADoc, const TAttributeList* Attrs, const TFormSymbols& Sy) : MasterList(ADoc) {
    if (Attrs)
        for (int i = 0; i < Attrs->Count(); ++i) {
            const TAttribute* a = Attrs->Attr(i);
            if (a->Which == Sy.Method)
                Method = a->Name.substr(0, 4);
            else if (a->Which == Sy.Action)
                Action = a->Name;
            else if (a->Which == Sy.Target)
                Target = a->Name;
            else if (a->Which == Sy.EncType)
                EncType = a->Name;
        }
}

ThtmlForm::~ThtmlForm() {
    // Controls first, while the form they point at still exists.
    ControlList.clear();
    if (MasterList && MasterList->CurrentForm == this) MasterList->CurrentForm = nullptr;
}

ThtmlForm* ThtmlForm::Current(TSectionList* Doc) {
    if (Doc->CurrentForm) return Doc->CurrentForm;
    return Doc->AddForm(std::make_unique<ThtmlForm>(Doc, nullptr));
}

void ThtmlForm::InsertControl(std::unique_ptr<TFormControlObj> Ctl) {
    Ctl->MyForm = this;
    if (!dynamic_cast<THiddenFormControlObj*>(Ctl.get())) ++NonHiddenCount;
    ControlList.push_back(std::move(Ctl));
}

void ThtmlForm::DoReset() {
    for (auto& c : ControlList) c->ResetValue();
}

void ThtmlForm::SubmitTheForm(const String& Extra) {
    if (!MasterList || !MasterList->OnFormSubmit) return;
    TStringList results;
    for (auto& c : ControlList) {
        String s;
        for (int i = 0; c->SubmitItem(i, s); ++i) {
            if (!s.empty()) results.Add(s);
            s.clear();
        }
    }
    if (!Extra.empty()) results.Add(Extra);
    MasterList->OnFormSubmit(MasterList->TheOwner, Action, Target, EncType, Method, &results);
}

void ThtmlForm::RadioClicked(TFormControlObj* Clicked) {
    if (Clicked->Name.empty()) return;
    for (auto& c : ControlList)
        if (auto* r = dynamic_cast<TRadioButtonFormControlObj*>(c.get()); r && r != Clicked && SameText(r->Name, Clicked->Name))
            r->SetChecked(false);
}

// ---- TFormControlObj --------------------------------------------------------------------------

// Told when the GUI control goes, so a panel freeing its children first
// leaves no dangling control behind.
class TFormControlObj::TGuard : public TComponent {
public:
    explicit TGuard(TFormControlObj* AObj) : TComponent(nullptr), Obj(AObj) {}
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Obj->FControl.get()) (void)Obj->FControl.release();
    }
    TFormControlObj* Obj;
};

TFormControlObj::TFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs, const TFormSymbols& Sy)
    : Pos(APos), MasterList(ADoc) {
    for (int i = 0; i < Attrs.Count(); ++i) {
        const TAttribute* a = Attrs.Attr(i);
        if (a->Which == Sy.Value)
            Value = a->Name;
        else if (a->Which == Sy.Name)
            Name = a->Name;
        else if (a->Which == Sy.OnClick)
            OnClickScript = a->Name;
    }
    if (MasterList) MasterList->FormControlList.push_back(this);
}

TFormControlObj::~TFormControlObj() {
    if (MasterList) MasterList->ForgetControl(this);
    if (FControl) {
        FGuard->RemoveFreeNotification(FControl.get());
        FControl.reset();
    }
}

TWinControl* TFormControlObj::FocusControl() { return FControl.get(); }
void TFormControlObj::ResetValue() {}
bool TFormControlObj::SubmitItem(int, String&) { return false; }
void TFormControlObj::SizeOnCanvas(TCanvas*) {}

int TFormControlObj::Width() const { return FControl ? FControl->Width() : 0; }
int TFormControlObj::Height() const { return FControl ? FControl->Height() : 0; }

void TFormControlObj::SetControl(TWinControl* Ctl) {
    FControl.reset(Ctl);
    FGuard = std::make_unique<TGuard>(this);
    FGuard->FreeNotification(Ctl);
    Ctl->SetVisible(false);
    if (MasterList && MasterList->PaintPanel) Ctl->SetParent(MasterList->PaintPanel);
    Ctl->SetTop(-400);
}

void TFormControlObj::AttachEvents(TWinControl* Ctl) {
    Ctl->OnEnter = [this](TObject*) {
        if (MasterList) MasterList->ControlEntered(this);
    };
    Ctl->OnExit = [this](TObject*) {
        if (MasterList) MasterList->ControlExited(this);
    };
}

void TFormControlObj::Clicked() {
    if (MasterList && MasterList->OnObjectClick) MasterList->OnObjectClick(MasterList->TheOwner, this, OnClickScript);
}

void TFormControlObj::UseFixedFont(TWinControl* Ctl) {
    if (MasterList) Ctl->Font()->SetName(MasterList->PreFontName);
    Ctl->Font()->SetSize(10);
}

void TFormControlObj::Place(int X, int Y) {
    if (!FControl) return;
    FControl->SetBounds(X, Y, FControl->Width(), FControl->Height());
    FControl->SetVisible(true);
    Placed = true;
}

void TFormControlObj::Park(bool OffScreen) {
    if (!FControl) return;
    if (OffScreen) {
        FControl->SetLeft(-4000);
        FControl->SetVisible(true);
    } else {
        FControl->SetVisible(false);
    }
}

// ---- Edits ------------------------------------------------------------------------------------

TEditFormControlObj::TEditFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                         const String& AType, const TFormSymbols& Sy)
    : TFormControlObj(ADoc, APos, Attrs, Sy) {
    auto* edit = new TEdit(nullptr);
    SetControl(edit);
    UseFixedFont(edit);
    edit->SetBounds(0, -400, 120, 20);
    edit->SetText(Value);
    TAttribute* a = nullptr;
    if (FindAttr(Attrs, Sy.Size, a)) {
        if (a->Value > 0) {
            EditSize = a->Value;
        } else {
            // "20,1" and "20 1" mean 20 characters.
            const String lead = a->Name.substr(0, a->Name.find_first_of(" ,"));
            const int n = std::atoi(lead.c_str());
            EditSize = n > 0 ? n : 20;
        }
    }
    if (FindAttr(Attrs, Sy.MaxLength, a) && a->Value > 0) edit->SetMaxLength(a->Value);
    if (AType == "password") edit->SetPasswordChar('*');
    AttachEvents(edit);
    edit->OnClick = [this](TObject*) { Clicked(); };
    edit->OnKeyPress = [this](TObject*, char& Key) {
        if (Key == 13 && MyForm) {
            Key = 0;
            MyForm->SubmitTheForm(String());
        }
    };
}

String TEditFormControlObj::Text() const { return TheControl() ? TheControl()->Text() : String(); }

void TEditFormControlObj::ResetValue() {
    if (TheControl()) TheControl()->SetText(Value);
}

bool TEditFormControlObj::SubmitItem(int Index, String& S) {
    if (Index != 0) return false;
    S = Name + "=" + Text();
    return true;
}

void TEditFormControlObj::SizeOnCanvas(TCanvas* Canvas) {
    if (!TheControl()) return;
    TheControl()->SetWidth(LetterA(Canvas, TheControl()->Font()).W * EditSize + 5);
}

// ---- Buttons ----------------------------------------------------------------------------------

TButtonFormControlObj::TButtonFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                             const String& AType, const TFormSymbols& Sy)
    : TFormControlObj(ADoc, APos, Attrs, Sy) {
    Which = AType == "reset" ? Reset : AType == "button" ? Button : Submit;
    auto* button = new TButton(nullptr);
    SetControl(button);
    static const char* const Captions[] = {"Submit", "Reset", "Button"};
    button->SetText(Value.empty() ? String(Captions[Which]) : Value);
    AttachEvents(button);
    button->OnClick = [this](TObject*) {
        Clicked();
        Press();
    };
}

void TButtonFormControlObj::Press() {
    if (!MyForm) return;
    if (Which == Submit)
        MyForm->SubmitTheForm(Name.empty() ? String() : Name + "=" + Value);
    else if (Which == Reset)
        MyForm->DoReset();
}

void TButtonFormControlObj::SizeOnCanvas(TCanvas* Canvas) {
    TWinControl* b = TheControl();
    if (!b) return;
    TFont saved;
    saved.Assign(Canvas->Font());
    Canvas->Font()->Assign(b->Font());
    const int h = Canvas->TextHeight("A") + 8;
    const int w = Canvas->TextWidth(b->Text()) + 20;
    Canvas->Font()->Assign(&saved);
    b->SetBounds(b->Left(), b->Top(), w, h);
}

// ---- Check boxes and radio buttons -------------------------------------------------------------

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                                 const TFormSymbols& Sy)
    : TFormControlObj(ADoc, APos, Attrs, Sy) {
    TAttribute* a = nullptr;
    if (!FindAttr(Attrs, Sy.Value, a)) Value = "on";
    WasChecked = FindAttr(Attrs, Sy.Checked, a);
    OnBaseline = true;
    auto* box = new TCheckBox(nullptr);
    SetControl(box);
    box->SetBounds(0, -400, 13, 13);
    box->SetChecked(WasChecked);
    AttachEvents(box);
    box->OnClick = [this](TObject*) { Clicked(); };
}

bool TCheckBoxFormControlObj::Checked() const {
    auto* box = static_cast<TCheckBox*>(TheControl());
    return box && box->Checked();
}

void TCheckBoxFormControlObj::SetChecked(bool V) {
    if (auto* box = static_cast<TCheckBox*>(TheControl())) box->SetChecked(V);
}

void TCheckBoxFormControlObj::ResetValue() { SetChecked(WasChecked); }

bool TCheckBoxFormControlObj::SubmitItem(int Index, String& S) {
    if (Index != 0) return false;
    S = Checked() ? Name + "=" + Value : String();
    return true;
}

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                                       TCell* ACell, const TFormSymbols& Sy)
    : TFormControlObj(ADoc, APos, Attrs, Sy) {
    MyCell = ACell;
    TAttribute* a = nullptr;
    WasChecked = FindAttr(Attrs, Sy.Checked, a);
    OnBaseline = true;
    // Each button sits alone in its panel, so the GUI layer's grouping by
    // parent leaves the grouping by name to the form.
    auto* panel = new TPanel(nullptr);
    SetControl(panel);
    panel->SetBevelInner(bvNone);
    panel->SetBevelOuter(bvNone);
    panel->SetParentColor(false);
    panel->SetBounds(0, -400, 13, 14);
    auto* radio = new TRadioButton(panel);
    radio->SetParent(panel);
    radio->SetBounds(0, 0, 13, 14);
    radio->SetChecked(WasChecked);
    RButton = radio;
    AttachEvents(radio);
    radio->OnClick = [this](TObject*) {
        Clicked();
        Press();
    };
}

TWinControl* TRadioButtonFormControlObj::FocusControl() { return TheControl() ? RButton : nullptr; }

bool TRadioButtonFormControlObj::Checked() const {
    return TheControl() && static_cast<TRadioButton*>(RButton)->Checked();
}

void TRadioButtonFormControlObj::SetChecked(bool V) {
    if (TheControl()) static_cast<TRadioButton*>(RButton)->SetChecked(V);
}

void TRadioButtonFormControlObj::Press() {
    SetChecked(true);
    if (MyForm) MyForm->RadioClicked(this);
}

void TRadioButtonFormControlObj::ResetValue() { SetChecked(WasChecked); }

bool TRadioButtonFormControlObj::SubmitItem(int Index, String& S) {
    if (Index != 0) return false;
    S = Checked() ? Name + "=" + Value : String();
    return true;
}

// ---- Hidden fields and image buttons -----------------------------------------------------------

bool THiddenFormControlObj::SubmitItem(int Index, String& S) {
    if (Index != 0) return false;
    S = Name + "=" + Value;
    return true;
}

TImageFormControlObj::TImageFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                           const TFormSymbols& Sy)
    : TFormControlObj(ADoc, APos, Attrs, Sy) {}

void TImageFormControlObj::ImageClicked() {
    Clicked();
    XPos = XTmp;
    YPos = YTmp;
    if (MyForm) MyForm->SubmitTheForm(String());
}

bool TImageFormControlObj::SubmitItem(int Index, String& S) {
    if (XPos < 0 || Index > 1) return false;
    const String prefix = Name.empty() ? String() : Name + ".";
    if (Index == 0) {
        S = prefix + "x=" + std::to_string(XPos);
    } else {
        S = prefix + "y=" + std::to_string(YPos);
        XPos = -1;
    }
    return true;
}

// ---- Selects ----------------------------------------------------------------------------------

TSelectFormControlObj::~TSelectFormControlObj() {
    if (TheOptions)
        for (int i = 0; i < TheOptions->Count(); ++i) delete TheOptions->GetObject(i);
}

void TSelectFormControlObj::AddOption(const String& Text, const std::optional<String>& AValue, bool Selected) {
    if (!TheOptions) TheOptions = std::make_unique<TStringList>();
    auto* o = new TOptionObj;
    o->Value = AValue;
    o->Selected = Selected;
    TheOptions->AddObject(Text, o);
    Longest = std::max(Longest, static_cast<int>(Text.size()));
}

int TSelectFormControlObj::OptionCount() const { return TheOptions ? TheOptions->Count() : 0; }

String TSelectFormControlObj::OptionValue(int i) const {
    const auto* o = static_cast<const TOptionObj*>(TheOptions->GetObject(i));
    return o->Value ? *o->Value : TheOptions->Get(i);
}

namespace {
bool OptionSelected(const TStringList& Options, int i) {
    return static_cast<const TOptionObj*>(Options.GetObject(i))->Selected;
}
}  // namespace

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                               const TFormSymbols& Sy)
    : TSelectFormControlObj(ADoc, APos, Attrs, Sy) {
    TheOptions = std::make_unique<TStringList>();
    TAttribute* a = nullptr;
    if (FindAttr(Attrs, Sy.Size, a)) LBSize = a->Value;
    MultiSelect = FindAttr(Attrs, Sy.Multiple, a);
    auto* list = new TListBox(nullptr);
    SetControl(list);
    UseFixedFont(list);
    list->SetMultiSelect(MultiSelect);
    list->SetExtendedSelect(MultiSelect);
    AttachEvents(list);
    list->OnClick = [this](TObject*) { Clicked(); };
}

void TListBoxFormControlObj::ResetValue() {
    auto* list = static_cast<TListBox*>(TheControl());
    if (!list) return;
    list->Items()->Clear();
    for (int i = 0; i < TheOptions->Count(); ++i) list->Items()->Add(TheOptions->Get(i));
    if (MultiSelect) {
        for (int i = 0; i < TheOptions->Count(); ++i) list->SetSelected(i, OptionSelected(*TheOptions, i));
    } else {
        int chosen = -1;
        for (int i = 0; i < TheOptions->Count(); ++i)
            if (OptionSelected(*TheOptions, i)) chosen = i;
        list->SetItemIndex(chosen >= 0 ? chosen : (TheOptions->Count() > 0 ? 0 : -1));
    }
    list->SetTopIndex(0);
}

bool TListBoxFormControlObj::SubmitItem(int Index, String& S) {
    auto* list = static_cast<TListBox*>(TheControl());
    if (!list || Index >= list->Items()->Count()) return false;
    const bool chosen = MultiSelect ? list->Selected(Index) : Index == list->ItemIndex();
    S = chosen ? Name + "=" + OptionValue(Index) : String();
    return true;
}

void TListBoxFormControlObj::SizeOnCanvas(TCanvas* Canvas) {
    TWinControl* list = TheControl();
    if (!list) return;
    const int rows = LBSize >= 1 ? LBSize : std::max(1, std::min(8, OptionCount()));
    const TLetter a = LetterA(Canvas, list->Font());
    list->SetClientHeight(a.H * rows);
    list->SetClientWidth(a.W * Longest + 15);
}

TComboFormControlObj::TComboFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                           const TFormSymbols& Sy)
    : TSelectFormControlObj(ADoc, APos, Attrs, Sy) {
    TheOptions = std::make_unique<TStringList>();
    TAttribute* a = nullptr;
    if (FindAttr(Attrs, Sy.Size, a)) LBSize = a->Value;
    auto* combo = new TComboBox(nullptr);
    SetControl(combo);
    combo->SetStyle(csDropDownList);
    AttachEvents(combo);
    combo->OnClick = [this](TObject*) { Clicked(); };
    combo->OnChange = [this](TObject*) { Clicked(); };
}

void TComboFormControlObj::ResetValue() {
    auto* combo = static_cast<TComboBox*>(TheControl());
    if (!combo) return;
    combo->Items()->Clear();
    int chosen = 0;
    for (int i = 0; i < TheOptions->Count(); ++i) {
        combo->Items()->Add(TheOptions->Get(i));
        if (OptionSelected(*TheOptions, i)) chosen = i;
    }
    combo->SetItemIndex(TheOptions->Count() > 0 ? chosen : -1);
}

bool TComboFormControlObj::SubmitItem(int Index, String& S) {
    auto* combo = static_cast<TComboBox*>(TheControl());
    if (!combo || Index >= combo->Items()->Count()) return false;
    S = Index == combo->ItemIndex() ? Name + "=" + OptionValue(Index) : String();
    return true;
}

void TComboFormControlObj::SizeOnCanvas(TCanvas* Canvas) {
    TWinControl* combo = TheControl();
    if (!combo) return;
    // The drop-down keeps the screen font.
    combo->SetClientWidth(LetterA(Canvas, combo->Font()).W * Longest + 30);
}

// ---- Text areas -------------------------------------------------------------------------------

TTextAreaFormControlObj::TTextAreaFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                                                 const TFormSymbols& Sy)
    : TFormControlObj(ADoc, APos, Attrs, Sy) {
    TAttribute* a = nullptr;
    if (FindAttr(Attrs, Sy.Rows, a) && a->Value > 0) Rows = a->Value;
    if (FindAttr(Attrs, Sy.Cols, a) && a->Value > 0) Cols = a->Value;
    if (FindAttr(Attrs, Sy.Wrap, a)) {
        const String w = LowerCase(a->Name);
        Wrap = w == "soft" || w == "hard";
    }
    auto* memo = new TMemo(nullptr);
    SetControl(memo);
    UseFixedFont(memo);
    memo->SetWordWrap(Wrap);
    memo->SetScrollBars(Wrap ? ssVertical : ssBoth);
    AttachEvents(memo);
    memo->OnClick = [this](TObject*) { Clicked(); };
}

void TTextAreaFormControlObj::AddLine(const String& Line) { TheText.push_back(Line); }

void TTextAreaFormControlObj::ResetValue() {
    auto* memo = static_cast<TMemo*>(TheControl());
    if (!memo) return;
    TStringList lines;
    for (const String& s : TheText) lines.Add(s);
    memo->SetLines(&lines);
    memo->SetSelStart(0);
}

bool TTextAreaFormControlObj::SubmitItem(int Index, String& S) {
    auto* memo = static_cast<TMemo*>(TheControl());
    if (Index != 0 || !memo) return false;
    // The memo's lines are the hard lines the user typed (wrapping never
    // splits them), so they are always joined with line breaks: joining
    // wrapped text without them would glue the user's lines together.
    S = Name + "=";
    for (int i = 0; i < memo->Lines()->Count(); ++i) {
        if (i > 0) S += "\r\n";
        S += memo->Lines()->Get(i);
    }
    return true;
}

void TTextAreaFormControlObj::SizeOnCanvas(TCanvas* Canvas) {
    TWinControl* memo = TheControl();
    if (!memo) return;
    const TLetter a = LetterA(Canvas, memo->Font());
    memo->SetClientHeight(a.H * Rows + 5);
    memo->SetClientWidth(a.W * Cols + 5);
}

// ---- The document's forms -------------------------------------------------------------------

ThtmlForm* TSectionList::AddForm(std::unique_ptr<ThtmlForm> Form) {
    ThtmlForm* raw = Form.get();
    htmlFormList.Add(std::move(Form));
    CurrentForm = raw;
    return raw;
}

void TSectionList::SizeFormControls(TCanvas* Canvas) {
    for (int i = 0; i < htmlFormList.Count(); ++i) {
        ThtmlForm* form = htmlFormList.Items(i);
        for (int k = 0; k < form->ControlCount(); ++k) form->Control(k)->SizeOnCanvas(Canvas);
    }
}

void TSectionList::SetYOffset(int Y) {
    if (Y == YOff) return;
    YOff = Y;
    HideNeeded = true;
    for (TFormControlObj* c : FormControlList) c->Placed = false;
}

void TSectionList::HideControls() {
    // Hiding the focused control would throw the focus about; while a
    // control of the page has it, the unplaced ones only move out of sight.
    bool focusHere = false;
    for (TFormControlObj* c : FormControlList)
        if (TWinControl* f = c->FocusControl(); f && f->Focused()) focusHere = true;
    for (TFormControlObj* c : FormControlList)
        if (!c->Placed) c->Park(focusHere);
}

void TSectionList::ControlEntered(TFormControlObj* Ctl) {
    if (OnControlEnter) OnControlEnter(this, Ctl);
    // Tabbing must be able to reach every control, so none stays hidden.
    for (TFormControlObj* c : FormControlList)
        if (!c->Placed) c->Park(true);
}

void TSectionList::ControlExited(TFormControlObj*) {
    for (TFormControlObj* c : FormControlList)
        if (!c->Placed) c->Park(false);
}


// ---- TFormControlList -------------------------------------------------------------------------

TFormControlObj* TFormControlList::FindControl(int Pos) const {
    for (int i = 0; i < Count(); ++i)
        if (Control(i)->Pos == Pos) return Control(i);
    return nullptr;
}

int TFormControlList::GetHeightAt(int Pos, bool& OnBaseline) const {
    TFormControlObj* c = FindControl(Pos);
    OnBaseline = c && c->OnBaseline;
    return c ? c->Height() : 0;
}

int TFormControlList::GetWidthAt(int Pos) const {
    TFormControlObj* c = FindControl(Pos);
    return c ? c->Width() : 0;
}

int TFormControlList::GetControlCountAt(int Pos) const {
    for (int i = 0; i < Count(); ++i)
        if (Control(i)->Pos >= Pos) return Control(i)->Pos - Pos;
    return 9999;
}

}  // namespace htmlview
