// Form controls on a paint panel: the kind each tag makes, sizes measured on
// the canvas, the exact submission lists, radio groups, the select rules,
// Enter and the buttons, the implicit form, placing after each paint and
// parking off-screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/StdCtrls.h"
#include "gui/windows/TestKit.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/common/DocKit.h"

using namespace dockit;

namespace {

const TFormSymbols& Sy = DefaultFormSymbols;

// Attributes as the tokenizer gives them: the number the text starts with
// (0 when it is none) and the text.
std::unique_ptr<TAttributeList> A(std::initializer_list<std::pair<std::uint8_t, std::string>> list) {
    auto a = std::make_unique<TAttributeList>();
    for (const auto& [sym, text] : list) a->AddAttribute(sym, std::atoi(text.c_str()), text);
    return a;
}

struct Submitted {
    int count = 0;
    std::string action, target, enctype, method;
    std::vector<std::string> items;
    TObject* sender = nullptr;
};

class Forms : public ::testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 700, 500);
        panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBounds(0, 0, 700, 500);
        page = std::make_unique<Page>();
        page->doc.PaintPanel = panel;
        page->doc.TheOwner = form.get();
        page->doc.OnFormSubmit = [this](TObject* s, const String& a, const String& t, const String& e,
                                        const String& m, TStringList* r) {
            ++sent.count;
            sent.sender = s;
            sent.action = a;
            sent.target = t;
            sent.enctype = e;
            sent.method = m;
            sent.items.clear();
            for (int i = 0; i < r->Count(); ++i) sent.items.push_back(r->Get(i));
        };
    }
    void TearDown() override {
        page.reset();
        form.reset();
        ReleaseViewerCursors();
        DoneApplication();
    }
    TFormControlObj* Input(TSection* s, std::unique_ptr<TAttributeList> a, int pos = 0) {
        return s->AddFormControl(TSection::TFormTag::Input, *a, pos);
    }
    // Width and height of "A" in a font.
    std::pair<int, int> LetterA(const std::string& face, int size) {
        TFont f;
        f.SetName(face);
        f.SetSize(size);
        TBitmap b;
        b.SetSize(10, 10);
        b.Canvas()->Font()->Assign(&f);
        return {b.Canvas()->TextWidth("A"), b.Canvas()->TextHeight("A")};
    }
    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    std::unique_ptr<Page> page;
    Submitted sent;
};

}  // namespace

// ---- Kinds ----------------------------------------------------------------------------------

TEST_F(Forms, TheTypeChoosesTheKindWhateverItsCase) {
    auto s = page->Section();
    EXPECT_NE(dynamic_cast<TEditFormControlObj*>(Input(s.get(), A({{Sy.Type, "TEXT"}}))), nullptr);
    auto* pw = dynamic_cast<TEditFormControlObj*>(Input(s.get(), A({{Sy.Type, "PassWord"}})));
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(static_cast<TEdit*>(pw->TheControl())->PasswordChar(), '*');
    EXPECT_NE(dynamic_cast<TEditFormControlObj*>(Input(s.get(), A({{Sy.Type, "date"}}))), nullptr);
    EXPECT_NE(dynamic_cast<TEditFormControlObj*>(Input(s.get(), A({}))), nullptr);
    auto* sub = dynamic_cast<TButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "Submit"}})));
    auto* rst = dynamic_cast<TButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "RESET"}})));
    auto* btn = dynamic_cast<TButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "button"}, {Sy.Value, "Go"}})));
    ASSERT_TRUE(sub && rst && btn);
    EXPECT_EQ(sub->TheControl()->Text(), "Submit");
    EXPECT_EQ(rst->TheControl()->Text(), "Reset");
    EXPECT_EQ(btn->TheControl()->Text(), "Go");
    EXPECT_NE(dynamic_cast<TRadioButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "Radio"}}))), nullptr);
    EXPECT_NE(dynamic_cast<TCheckBoxFormControlObj*>(Input(s.get(), A({{Sy.Type, "CHECKBOX"}}))), nullptr);
    const std::size_t before = s->Buffer().size();
    auto* hidden = dynamic_cast<THiddenFormControlObj*>(Input(s.get(), A({{Sy.Type, "hidden"}})));
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->TheControl(), nullptr);
    EXPECT_EQ(s->Buffer().size(), before) << "a hidden field stands nowhere in the text";
    auto* img = dynamic_cast<TImageFormControlObj*>(Input(s.get(), A({{Sy.Type, "image"}})));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(s->Buffer().back(), chars::Image) << "an image button stands as a picture";
    EXPECT_EQ(s->Images->Image(s->Images->Count() - 1)->FormControl, img);

    auto* multi = s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Multiple, ""}}), 0);
    auto* sized = s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Size, "2"}}), 0);
    auto* single = s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Size, "1"}}), 0);
    auto* area = s->AddFormControl(TSection::TFormTag::TextArea, *A({}), 0);
    EXPECT_NE(dynamic_cast<TListBoxFormControlObj*>(multi), nullptr);
    EXPECT_NE(dynamic_cast<TListBoxFormControlObj*>(sized), nullptr);
    EXPECT_NE(dynamic_cast<TComboFormControlObj*>(single), nullptr);
    EXPECT_NE(dynamic_cast<TTextAreaFormControlObj*>(area), nullptr);
    // Controls with a window stand as character 2 each; all are the document's.
    EXPECT_EQ(std::count(s->Buffer().begin(), s->Buffer().end(), chars::FormControl), 13);
    EXPECT_EQ(page->doc.FormControlList.size(), 15u);
    // Every GUI control waits hidden on the panel, above the page.
    EXPECT_EQ(sub->TheControl()->Parent(), panel);
    EXPECT_FALSE(sub->TheControl()->Visible());
    EXPECT_EQ(sub->TheControl()->Top(), -400);
}

TEST_F(Forms, NoBreakRunsMarkControlsWithSix) {
    auto s = page->Section();
    page->doc.Build.NoBreak = true;
    Input(s.get(), A({}));
    EXPECT_EQ(s->Buffer(), std::string(1, chars::NoBreakControl));
}

// ---- Sizes ----------------------------------------------------------------------------------

TEST_F(Forms, SizesComeFromTheLetterAOnTheCanvas) {
    auto s = page->Section();
    auto* e5 = Input(s.get(), A({{Sy.Size, "5"}}));
    auto* e7 = Input(s.get(), A({{Sy.Size, "7,1"}}));  // the number before the comma
    auto* e20 = Input(s.get(), A({}));
    auto* button = Input(s.get(), A({{Sy.Type, "submit"}, {Sy.Value, "Send it"}}));
    auto* box = Input(s.get(), A({{Sy.Type, "checkbox"}}));
    auto* radio = Input(s.get(), A({{Sy.Type, "radio"}}));
    auto* many = dynamic_cast<TListBoxFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Multiple, ""}}), 0));
    auto* none = dynamic_cast<TListBoxFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Multiple, ""}}), 0));
    auto* three = dynamic_cast<TListBoxFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Size, "3"}}), 0));
    auto* combo = dynamic_cast<TComboFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({}), 0));
    auto* area = s->AddFormControl(TSection::TFormTag::TextArea, *A({{Sy.Rows, "4"}, {Sy.Cols, "12"}}), 0);
    for (int i = 0; i < 20; ++i) many->AddOption("opt" + std::to_string(i), std::nullopt, false);
    three->AddOption("a rather long option", std::nullopt, false);
    combo->AddOption("twelve chars", std::nullopt, false);
    page->Add(std::move(s));
    page->LayOut(600);

    const auto [aw, ah] = LetterA(page->doc.PreFontName, 10);
    EXPECT_EQ(e5->Width(), aw * 5 + 5);
    EXPECT_EQ(e7->Width(), aw * 7 + 5);
    EXPECT_EQ(e20->Width(), aw * 20 + 5);
    EXPECT_EQ(e20->Height(), 20);

    // The buttons keep the GUI layer's default font.
    TBitmap b;
    b.SetSize(10, 10);
    b.Canvas()->Font()->Assign(button->TheControl()->Font());
    EXPECT_EQ(button->Width(), b.Canvas()->TextWidth("Send it") + 20);
    EXPECT_EQ(button->Height(), b.Canvas()->TextHeight("A") + 8);

    EXPECT_EQ(box->Width(), 13);
    EXPECT_EQ(box->Height(), 13);
    EXPECT_EQ(radio->Width(), 13);
    EXPECT_EQ(radio->Height(), 14);

    // Rows: 20 options and no SIZE show 8, none show 1, SIZE counts as given.
    EXPECT_EQ(many->TheControl()->ClientHeight(), ah * 8);
    EXPECT_EQ(none->TheControl()->ClientHeight(), ah * 1);
    EXPECT_EQ(three->TheControl()->ClientHeight(), ah * 3);
    // Options widen the list to their length (3 characters at least).
    EXPECT_EQ(many->TheControl()->ClientWidth(), aw * 5 + 15);
    EXPECT_EQ(none->TheControl()->ClientWidth(), aw * 3 + 15);
    EXPECT_EQ(three->TheControl()->ClientWidth(), aw * 20 + 15);
    b.Canvas()->Font()->Assign(combo->TheControl()->Font());
    EXPECT_EQ(combo->TheControl()->ClientWidth(), b.Canvas()->TextWidth("A") * 12 + 30);

    EXPECT_EQ(area->TheControl()->ClientHeight(), ah * 4 + 5);
    EXPECT_EQ(area->TheControl()->ClientWidth(), aw * 12 + 5);
}

// ---- Submission ----------------------------------------------------------------------------

TEST_F(Forms, SubmissionListsEveryControlInOrderWithTheButtonLast) {
    auto s = page->Section();
    page->doc.AddForm(std::make_unique<ThtmlForm>(&page->doc, A({{Sy.Method, "POSTED"}, {Sy.Action, "go.cgi"}, {Sy.Target, "main"},
                                 {Sy.EncType, "text/plain"}}).get()));
    Input(s.get(), A({{Sy.Name, "q"}, {Sy.Value, "abc"}}));
    Input(s.get(), A({{Sy.Type, "password"}, {Sy.Name, "pw"}, {Sy.Value, "secret"}}));
    Input(s.get(), A({{Sy.Type, "checkbox"}, {Sy.Name, "c1"}, {Sy.Checked, ""}}));
    Input(s.get(), A({{Sy.Type, "checkbox"}, {Sy.Name, "c2"}, {Sy.Value, "yes"}}));
    Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Name, "r"}, {Sy.Value, "1"}}));
    Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Name, "r"}, {Sy.Value, "2"}, {Sy.Checked, ""}}));
    Input(s.get(), A({{Sy.Type, "hidden"}, {Sy.Name, "h"}, {Sy.Value, "x y"}}));
    Input(s.get(), A({{Sy.Type, "image"}, {Sy.Name, "pic"}}));
    auto* list = dynamic_cast<TSelectFormControlObj*>(
        s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Name, "l"}, {Sy.Multiple, ""}}), 0));
    list->AddOption("One", std::string("1"), true);
    list->AddOption("Two", std::nullopt, false);
    list->AddOption("Three", std::nullopt, true);
    list->ResetValue();
    auto* combo = dynamic_cast<TSelectFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Name, "d"}}), 0));
    combo->AddOption("red", std::nullopt, false);
    combo->AddOption("green", std::string("g"), true);
    combo->ResetValue();
    auto* area = dynamic_cast<TTextAreaFormControlObj*>(
        s->AddFormControl(TSection::TFormTag::TextArea, *A({{Sy.Name, "t"}}), 0));
    area->AddLine("first");
    area->AddLine("second");
    area->ResetValue();
    auto* go = dynamic_cast<TButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "submit"}, {Sy.Name, "go"}, {Sy.Value, "Go!"}})));
    Input(s.get(), A({{Sy.Type, "reset"}, {Sy.Name, "rs"}}));
    page->Add(std::move(s));

    go->TheControl()->Click();
    ASSERT_EQ(sent.count, 1);
    EXPECT_EQ(sent.sender, form.get());
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.action, "go.cgi");
    EXPECT_EQ(sent.target, "main");
    EXPECT_EQ(sent.enctype, "text/plain");
    const std::vector<std::string> expected{"q=abc",   "pw=secret", "c1=on",           "r=2", "h=x y",
                                            "l=1",     "l=Three",   "d=g",             "t=first\r\nsecond",
                                            "go=Go!"};
    EXPECT_EQ(sent.items, expected);
}

TEST_F(Forms, NothingIsSubmittedWithoutAHandlerAndUnnamedButtonsAddNoItem) {
    auto s = page->Section();
    Input(s.get(), A({{Sy.Name, "q"}}));
    auto* go = Input(s.get(), A({{Sy.Type, "submit"}}));
    page->Add(std::move(s));
    go->TheControl()->Click();
    EXPECT_EQ(sent.items, std::vector<std::string>{"q="});
    page->doc.OnFormSubmit = nullptr;
    go->TheControl()->Click();  // no handler: nothing happens, nothing breaks
    EXPECT_EQ(sent.count, 1);
}

TEST_F(Forms, ControlsOutsideAnyFormJoinOneImplicitForm) {
    auto s = page->Section();
    Input(s.get(), A({{Sy.Name, "a"}, {Sy.Value, "1"}}));
    Input(s.get(), A({{Sy.Name, "b"}, {Sy.Value, "2"}}));
    ASSERT_EQ(page->doc.htmlFormList.Count(), 1);
    auto* implicit = static_cast<ThtmlForm*>(page->doc.htmlFormList.Items(0));
    EXPECT_EQ(implicit->ControlCount(), 2);
    EXPECT_EQ(implicit->Method, "Get");
    EXPECT_EQ(implicit->Action, "");
    // A FORM starts a new one; its end leaves none, so the next control
    // outside makes another implicit form.
    auto* real = page->doc.AddForm(std::make_unique<ThtmlForm>(&page->doc, A({{Sy.Action, "x"}}).get()));
    Input(s.get(), A({{Sy.Name, "c"}}));
    EXPECT_EQ(real->ControlCount(), 1);
    page->doc.CurrentForm = nullptr;
    Input(s.get(), A({{Sy.Name, "d"}}));
    EXPECT_EQ(page->doc.htmlFormList.Count(), 3);
    page->Add(std::move(s));
    implicit->SubmitTheForm("");
    EXPECT_EQ(sent.items, (std::vector<std::string>{"a=1", "b=2"}));
}

TEST_F(Forms, EnterInAnEditSubmitsItsFormWithoutExtraItem) {
    auto s = page->Section();
    page->doc.AddForm(std::make_unique<ThtmlForm>(&page->doc, A({{Sy.Action, "find"}}).get()));
    auto* e = Input(s.get(), A({{Sy.Name, "q"}, {Sy.Value, "v"}}));
    Input(s.get(), A({{Sy.Type, "submit"}, {Sy.Name, "go"}}));
    page->Add(std::move(s));
    testkit::KeyPress('x', static_cast<TWinControl*>(e->TheControl()));
    EXPECT_EQ(sent.count, 0);
    testkit::KeyPress(13, static_cast<TWinControl*>(e->TheControl()));
    ASSERT_EQ(sent.count, 1);
    EXPECT_EQ(sent.action, "find");
    EXPECT_EQ(sent.items, std::vector<std::string>{"q=v"});
}

TEST_F(Forms, ResetRestoresEveryInitialValue) {
    auto s = page->Section();
    auto* e = dynamic_cast<TEditFormControlObj*>(Input(s.get(), A({{Sy.Name, "q"}, {Sy.Value, "start"}})));
    auto* box = dynamic_cast<TCheckBoxFormControlObj*>(Input(s.get(), A({{Sy.Type, "checkbox"}, {Sy.Checked, ""}})));
    auto* area = dynamic_cast<TTextAreaFormControlObj*>(s->AddFormControl(TSection::TFormTag::TextArea, *A({}), 0));
    area->AddLine("line");
    area->ResetValue();
    auto* list = dynamic_cast<TListBoxFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Size, "4"}}), 0));
    list->AddOption("a", std::nullopt, false);
    list->AddOption("b", std::nullopt, true);
    list->ResetValue();
    auto* reset = Input(s.get(), A({{Sy.Type, "reset"}}));
    page->Add(std::move(s));
    e->TheControl()->SetText("typed");
    box->SetChecked(false);
    area->TheControl()->SetText("changed");
    static_cast<TListBox*>(list->TheControl())->SetItemIndex(0);
    reset->TheControl()->Click();
    EXPECT_EQ(e->Text(), "start");
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(static_cast<TMemo*>(area->TheControl())->Lines()->Count(), 1);
    EXPECT_EQ(static_cast<TMemo*>(area->TheControl())->Lines()->Get(0), "line");
    EXPECT_EQ(static_cast<TListBox*>(list->TheControl())->ItemIndex(), 1);
    EXPECT_EQ(sent.count, 0) << "a reset submits nothing";
}

TEST_F(Forms, ClicksRaiseTheObjectClickCallbackWithTheScriptFirst) {
    std::vector<std::string> order;
    page->doc.OnObjectClick = [&](TObject* sender, TFormControlObj*, const String& script) {
        EXPECT_EQ(sender, form.get());
        order.push_back("click:" + script);
    };
    page->doc.OnFormSubmit = [&](TObject*, const String&, const String&, const String&, const String&,
                                 TStringList*) { order.push_back("submit"); };
    auto s = page->Section();
    auto* go = Input(s.get(), A({{Sy.Type, "submit"}, {Sy.OnClick, "check()"}}));
    auto* plain = Input(s.get(), A({{Sy.Type, "button"}, {Sy.OnClick, "hello()"}}));
    page->Add(std::move(s));
    go->TheControl()->Click();
    plain->TheControl()->Click();
    EXPECT_EQ(order, (std::vector<std::string>{"click:check()", "submit", "click:hello()"}));
}

// ---- Radio buttons ---------------------------------------------------------------------------

TEST_F(Forms, ARadioButtonUnchecksOnlyItsNamesakesInItsForm) {
    auto s = page->Section();
    page->doc.AddForm(std::make_unique<ThtmlForm>(&page->doc, nullptr));
    auto* a1 = dynamic_cast<TRadioButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Name, "Size"}, {Sy.Checked, ""}})));
    auto* a2 = dynamic_cast<TRadioButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Name, "size"}})));
    auto* other = dynamic_cast<TRadioButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Name, "colour"}, {Sy.Checked, ""}})));
    page->doc.AddForm(std::make_unique<ThtmlForm>(&page->doc, nullptr));
    auto* elsewhere = dynamic_cast<TRadioButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Name, "size"}, {Sy.Checked, ""}})));
    auto* n1 = dynamic_cast<TRadioButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Checked, ""}})));
    auto* n2 = dynamic_cast<TRadioButtonFormControlObj*>(Input(s.get(), A({{Sy.Type, "radio"}})));
    page->Add(std::move(s));
    ASSERT_TRUE(a1 && a2 && other && elsewhere && n1 && n2);
    // The focus goes to the button inside the panel.
    EXPECT_EQ(a2->FocusControl()->Parent(), a2->TheControl());

    a2->FocusControl()->Click();
    EXPECT_TRUE(a2->Checked());
    EXPECT_FALSE(a1->Checked()) << "names match whatever their case";
    EXPECT_TRUE(other->Checked());
    EXPECT_TRUE(elsewhere->Checked()) << "another form's group is left alone";
    // Buttons without a name form no group.
    n2->FocusControl()->Click();
    EXPECT_TRUE(n1->Checked());
    EXPECT_TRUE(n2->Checked());
    // Reset brings the initial choice back.
    a1->MyForm->DoReset();
    EXPECT_TRUE(a1->Checked());
    EXPECT_FALSE(a2->Checked());
}

// ---- Selects ---------------------------------------------------------------------------------

TEST_F(Forms, SingleSelectsSubmitTheLastMarkedOptionOrElseTheFirst) {
    auto s = page->Section();
    auto* plain = dynamic_cast<TSelectFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Name, "p"}}), 0));
    auto* twice = dynamic_cast<TSelectFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Name, "t"}, {Sy.Size, "3"}}), 0));
    auto* unmarked = dynamic_cast<TSelectFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Name, "u"}, {Sy.Size, "3"}}), 0));
    auto* multi = dynamic_cast<TSelectFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Name, "m"}, {Sy.Multiple, ""}}), 0));
    auto* empty = dynamic_cast<TSelectFormControlObj*>(s->AddFormControl(TSection::TFormTag::Select, *A({{Sy.Name, "e"}}), 0));
    plain->AddOption("alpha", std::nullopt, false);
    plain->AddOption("beta", std::nullopt, false);
    twice->AddOption("a", std::nullopt, true);
    twice->AddOption("b", std::string(""), true);
    twice->AddOption("c", std::nullopt, false);
    unmarked->AddOption("x", std::string("X"), false);
    unmarked->AddOption("y", std::nullopt, false);
    multi->AddOption("m1", std::nullopt, false);
    multi->AddOption("m2", std::nullopt, false);
    for (auto* c : {plain, twice, unmarked, multi, empty}) c->ResetValue();
    page->Add(std::move(s));
    plain->MyForm->SubmitTheForm("");
    // An empty VALUE is a value: "t=" rather than the option's text.
    EXPECT_EQ(sent.items, (std::vector<std::string>{"p=alpha", "t=", "u=X"}));
    // A drop-down list's change counts as a click.
    int clicks = 0;
    page->doc.OnObjectClick = [&](TObject*, TFormControlObj* o, const String&) { clicks += o == plain; };
    auto* combo = static_cast<TComboBox*>(plain->TheControl());
    combo->SetItemIndex(1);
    if (combo->OnChange) combo->OnChange(combo);
    EXPECT_EQ(clicks, 1);
    plain->MyForm->SubmitTheForm("");
    EXPECT_EQ(sent.items.front(), "p=beta");
}

TEST_F(Forms, TextAreasWrapOnlyForSoftOrHard) {
    auto s = page->Section();
    auto* soft = dynamic_cast<TTextAreaFormControlObj*>(s->AddFormControl(TSection::TFormTag::TextArea, *A({{Sy.Name, "s"}, {Sy.Wrap, "SOFT"}}), 0));
    auto* hard = dynamic_cast<TTextAreaFormControlObj*>(s->AddFormControl(TSection::TFormTag::TextArea, *A({{Sy.Name, "h"}, {Sy.Wrap, "hard"}}), 0));
    auto* off = dynamic_cast<TTextAreaFormControlObj*>(s->AddFormControl(TSection::TFormTag::TextArea, *A({{Sy.Name, "o"}, {Sy.Wrap, "virtual"}}), 0));
    for (auto* t : {soft, hard, off}) {
        t->AddLine("ab");
        t->AddLine("cd");
        t->ResetValue();
    }
    page->Add(std::move(s));
    EXPECT_TRUE(static_cast<TMemo*>(soft->TheControl())->WordWrap());
    EXPECT_EQ(static_cast<TMemo*>(soft->TheControl())->ScrollBars(), ssVertical);
    EXPECT_TRUE(hard->Wrap);
    EXPECT_FALSE(static_cast<TMemo*>(off->TheControl())->WordWrap());
    EXPECT_EQ(static_cast<TMemo*>(off->TheControl())->ScrollBars(), ssBoth);
    soft->MyForm->SubmitTheForm("");
    // Wrapping or not, the lines typed stay apart.
    EXPECT_EQ(sent.items, (std::vector<std::string>{"s=ab\r\ncd", "h=ab\r\ncd", "o=ab\r\ncd"}));
}

// ---- Image buttons ---------------------------------------------------------------------------

TEST_F(Forms, AnImageButtonSubmitsThePointClickedOnceAndOnlyWhenClicked) {
    Pictures pics;
    pics.Add("b.bmp", 30, 20);
    pics.Attach(page->doc);
    auto s = page->Section();
    Input(s.get(), A({{Sy.Name, "q"}, {Sy.Value, "v"}}));
    auto attrs = ImageAttrs("b.bmp");
    attrs->AddAttribute(Sy.Type, 0, "image");
    attrs->AddAttribute(Sy.Value, 0, "ignored");
    auto* button = dynamic_cast<TImageFormControlObj*>(s->AddFormControl(TSection::TFormTag::Input, *attrs, 1));
    page->Add(std::move(s));
    page->LayOut(600);
    page->Paint(600);
    button->MyForm->SubmitTheForm("");
    EXPECT_EQ(sent.items, std::vector<std::string>{"q=v"}) << "not clicked: nothing";

    TImageObj* img = page->doc.Section(0) ? static_cast<TSection*>(page->doc.Section(0))->Images->Image(0) : nullptr;
    ASSERT_NE(img, nullptr);
    TObject* hit = nullptr;
    EXPECT_EQ(page->doc.LinkAt(page->Canvas(), img->DrawX + 7, img->DrawY + 4, hit), nullptr);
    ASSERT_EQ(hit, button);
    button->ImageClicked();
    EXPECT_EQ(sent.count, 2);
    EXPECT_EQ(sent.items, (std::vector<std::string>{"q=v", "x=7", "y=4"}));
    button->Name = "pic";
    button->MyForm->SubmitTheForm("");
    EXPECT_EQ(sent.items, std::vector<std::string>{"q=v"}) << "the point is used once";
    button->ImageClicked();
    EXPECT_EQ(sent.items, (std::vector<std::string>{"q=v", "pic.x=7", "pic.y=4"}));
}

// ---- Placing ---------------------------------------------------------------------------------

TEST_F(Forms, PaintingPlacesControlsWhereTheirCharactersStand) {
    auto s = page->Section();
    s->AppendText(*Tok("ab "));
    auto* edit = Input(s.get(), A({{Sy.Size, "4"}}), 3);
    s->AppendText(*Tok(" cd ", 4));
    auto* box = Input(s.get(), A({{Sy.Type, "checkbox"}}), 8);
    auto* sec = page->Add(std::move(s));
    page->LayOut(600);
    ASSERT_EQ(sec->Lines().size(), 1u);
    const LineRec& l = sec->Lines()[0];
    // The edit is taller than the text: the line makes room above it.
    EXPECT_EQ(l.SpaceBefore, std::max(0, edit->Height() - l.LineHt));
    EXPECT_FALSE(edit->TheControl()->Visible());
    page->Paint(600);
    const LineRec& pl = sec->Lines()[0];
    const int textBottom = pl.DrawY + pl.LineHt;
    EXPECT_TRUE(edit->Placed);
    EXPECT_TRUE(edit->TheControl()->Visible());
    EXPECT_EQ(edit->TheControl()->Left(), page->Width("ab "));
    EXPECT_EQ(edit->TheControl()->Top() + edit->Height(), textBottom);
    // The check box follows " cd " and sits on the baseline.
    EXPECT_EQ(box->TheControl()->Left(), page->Width("ab ") + edit->Width() + page->Width(" cd "));
    EXPECT_EQ(box->TheControl()->Top() + 13, textBottom - pl.Descent);
    // The width of the line counts the controls.
    int mn = 0, mx = 0;
    sec->MeasureWidths(page->Canvas(), mn, mx);
    EXPECT_EQ(mx, page->Width("ab ") + edit->Width() + page->Width(" cd ") + 13);
}

TEST_F(Forms, ControlsWrapToTheNextLineLikeWords) {
    auto s = page->Section();
    s->AppendText(*Tok("word "));
    auto* edit = Input(s.get(), A({{Sy.Size, "10"}}), 5);
    auto* sec = page->Add(std::move(s));
    page->LayOut(page->Width("word ") + 20);
    ASSERT_EQ(sec->Lines().size(), 2u);
    EXPECT_EQ(sec->Lines()[1].Start, 5);
    page->Paint(600);
    EXPECT_EQ(edit->TheControl()->Left(), 0);
    EXPECT_EQ(edit->YValue, sec->Lines()[0].Band());
}

TEST_F(Forms, AScrollLeavesControlsUnplacedAndThePaintHidesOrParksThem) {
    auto s = page->Section();
    auto* top = Input(s.get(), A({}), 0);
    page->Add(std::move(s));
    auto gap = std::make_unique<TSectionBase>(&page->doc);
    gap->SectionHeight = 1000;
    page->doc.AddSection(std::move(gap));
    auto s2 = page->Section();
    auto* low = Input(s2.get(), A({}), 1);
    page->Add(std::move(s2));
    page->LayOut(600);
    page->Paint(600);
    EXPECT_TRUE(top->Placed);
    EXPECT_FALSE(low->Placed);
    EXPECT_FALSE(low->TheControl()->Visible());

    // Scroll the first control out of sight: it is unplaced and hidden.
    page->doc.SetYOffset(900);
    EXPECT_FALSE(top->Placed);
    page->Paint(600);
    EXPECT_FALSE(top->TheControl()->Visible());
    EXPECT_TRUE(low->Placed);
    EXPECT_TRUE(low->TheControl()->Visible());
    EXPECT_EQ(low->TheControl()->Top() + low->Height(),
              static_cast<TSection*>(page->doc.Section(2))->Lines()[0].DrawY +
                  static_cast<TSection*>(page->doc.Section(2))->Lines()[0].LineHt - 900);

    // With the focus on a control of the page the others are only parked.
    form->Show();
    low->TheControl()->SetFocus();
    page->doc.SetYOffset(0);
    page->Paint(600);
    EXPECT_TRUE(top->TheControl()->Visible());
    EXPECT_EQ(top->TheControl()->Left(), 0);
    EXPECT_TRUE(low->TheControl()->Visible());
    EXPECT_EQ(low->TheControl()->Left(), -4000);
    // The same offset again changes nothing.
    page->doc.SetYOffset(0);
    EXPECT_TRUE(top->Placed);
}

TEST_F(Forms, EnteringAControlShowsTheUnplacedOffScreenAndLeavingHidesThem) {
    std::vector<TFormControlObj*> entered;
    page->doc.OnControlEnter = [&](TSectionList* d, TFormControlObj* o) {
        EXPECT_EQ(d, &page->doc);
        entered.push_back(o);
    };
    auto s = page->Section();
    auto* a = Input(s.get(), A({}), 0);
    auto* b = Input(s.get(), A({}), 1);
    page->Add(std::move(s));
    page->doc.ControlEntered(a);
    EXPECT_EQ(entered, std::vector<TFormControlObj*>{a});
    EXPECT_TRUE(b->TheControl()->Visible());
    EXPECT_EQ(b->TheControl()->Left(), -4000);
    page->doc.ControlExited(a);
    EXPECT_FALSE(b->TheControl()->Visible());
}

TEST_F(Forms, TheRadioPanelTakesTheCellsBackground) {
    auto s = page->Section();
    auto* r = Input(s.get(), A({{Sy.Type, "radio"}}), 0);
    page->Add(std::move(s));
    page->doc.Background = 0x00FFEEDD;
    page->LayOut(600);
    page->Paint(600);
    EXPECT_EQ(r->TheControl()->Color(), static_cast<TColor>(0x00FFEEDD));
    page->doc.BkGnd = true;
    page->doc.BkColor = 0x00112233;
    page->Paint(600);
    EXPECT_EQ(r->TheControl()->Color(), static_cast<TColor>(0x00112233));
}

// ---- Lifetime --------------------------------------------------------------------------------

TEST_F(Forms, ClearingTheDocumentTakesItsControlsOffThePanel) {
    auto s = page->Section();
    Input(s.get(), A({}));
    Input(s.get(), A({{Sy.Type, "radio"}}));
    page->Add(std::move(s));
    EXPECT_EQ(panel->ControlCount(), 2);
    page->doc.Clear();
    EXPECT_EQ(panel->ControlCount(), 0);
    EXPECT_TRUE(page->doc.FormControlList.empty());
    EXPECT_EQ(page->doc.CurrentForm, nullptr);
}

TEST_F(Forms, APanelFreedFirstLeavesTheControlObjectsHarmless) {
    auto s = page->Section();
    auto* e = Input(s.get(), A({{Sy.Name, "q"}}));
    Input(s.get(), A({{Sy.Type, "radio"}, {Sy.Name, "r"}}));
    page->Add(std::move(s));
    form.reset();  // frees the panel and its children
    page->doc.PaintPanel = nullptr;
    EXPECT_EQ(e->TheControl(), nullptr);
    EXPECT_EQ(e->Width(), 0);
    page->doc.TheOwner = nullptr;
    e->MyForm->SubmitTheForm("");
    EXPECT_EQ(sent.items, std::vector<std::string>{"q="});
    page->LayOut(600);
    page->Paint(600);
    page.reset();  // and the document goes without touching them
}

TEST_F(Forms, TheSectionsControlListAnswersByPosition) {
    auto s = page->Section();
    s->AppendText(*Tok("ab"));
    auto* edit = Input(s.get(), A({}), 2);
    s->AppendText(*Tok("cd", 3));
    auto* box = Input(s.get(), A({{Sy.Type, "checkbox"}}), 5);
    auto* sec = page->Add(std::move(s));
    page->LayOut(600);
    const TFormControlList& list = *sec->FormControls;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.FindControl(2), edit);
    EXPECT_EQ(list.FindControl(5), box);
    EXPECT_EQ(list.FindControl(3), nullptr);
    bool baseline = true;
    EXPECT_EQ(list.GetHeightAt(2, baseline), 20);
    EXPECT_FALSE(baseline);
    EXPECT_EQ(list.GetHeightAt(5, baseline), 13);
    EXPECT_TRUE(baseline);
    EXPECT_EQ(list.GetWidthAt(5), 13);
    EXPECT_EQ(list.GetWidthAt(0), 0);
    EXPECT_EQ(list.GetControlCountAt(0), 2);
    EXPECT_EQ(list.GetControlCountAt(3), 2);
    EXPECT_EQ(list.GetControlCountAt(6), 9999);
}

TEST_F(Forms, ALayoutHidesWhatTheLastPaintDidNotPlace) {
    auto s = page->Section();
    auto* e = Input(s.get(), A({}), 0);
    page->Add(std::move(s));
    e->TheControl()->Show();  // shown by someone else before any paint
    page->LayOut(600);
    EXPECT_FALSE(e->TheControl()->Visible());
    page->Paint(600);
    EXPECT_TRUE(e->TheControl()->Visible());
    page->LayOut(400);  // placed by the paint: it stays
    EXPECT_TRUE(e->TheControl()->Visible());
}
