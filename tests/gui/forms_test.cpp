#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/windows/Dialogs.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/draw/Gdi.h"
#include "gui/windows/TestKit.h"

using namespace gui;
namespace tk = gui::testkit;

TEST(FormsGeometry, OutsideSizeLessTheClassicFrameIsTheClientArea) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBorderStyle(bsSizeable);
    f.SetBounds(337, 143, 309, 476);
    EXPECT_EQ(f.ClientWidth(), 301);
    EXPECT_EQ(f.ClientHeight(), 449);
    EXPECT_EQ(f.ClientOrigin(), (TPoint{337, 143}));  // the position is the client area's

    f.SetBorderStyle(bsSingle);
    EXPECT_EQ(f.Width(), 309);  // the outside size stays
    EXPECT_EQ(f.ClientWidth(), 303);
    EXPECT_EQ(f.ClientHeight(), 451);

    f.SetBorderStyle(bsNone);
    EXPECT_EQ(f.ClientWidth(), 309);
    f.SetClientWidth(479);
    f.SetClientHeight(479);
    EXPECT_EQ(f.Width(), 479);

    f.SetBorderStyle(bsSingle);
    f.SetClientWidth(601);
    f.SetClientHeight(497);
    EXPECT_EQ(f.Width(), 607);
    EXPECT_EQ(f.Height(), 522);
    TRect wr;
    ASSERT_TRUE(GetClientRect(f.Handle(), &wr));
    EXPECT_EQ(wr, Rect(0, 0, 601, 497));
}

TEST(FormsRegion, ARegionMakesTheWindowFramelessAndNullRestoresIt) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBounds(10, 10, 309, 476);
    f.Show();
    HWND h = f.Handle();
    EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_CAPTION);
    int clientW = f.ClientWidth();

    HRGN rgn = CreateRectRgn(0, 0, 50, 50);
    EXPECT_EQ(SetWindowRgn(h, rgn, true), 1);
    EXPECT_TRUE(f.HasWindowRegion());
    EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(f.ClientWidth(), clientW);  // region coordinates are client coordinates
    // Only the region takes input.
    EXPECT_EQ(FindVCLWindow(f.ClientToScreen(TPoint{10, 10})), &f);
    EXPECT_EQ(FindVCLWindow(f.ClientToScreen(TPoint{100, 100})), nullptr);

    EXPECT_EQ(SetWindowRgn(h, nullptr, true), 1);
    EXPECT_FALSE(f.HasWindowRegion());
    EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(FindVCLWindow(f.ClientToScreen(TPoint{100, 100})), &f);
    EXPECT_EQ(SetWindowRgn(nullptr, nullptr, true), 0);
}

TEST(FormsZOrder, SetWindowPosSwitchesAlwaysOnTop) {
    tk::Session s;
    TForm f(nullptr);
    HWND h = f.Handle();
    EXPECT_FALSE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(f.Width(), 320);  // position and size kept
    EXPECT_TRUE(SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_FALSE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    f.SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(FormsMove, SystemMoveFromAPressFollowsThePointerUntilRelease) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBorderStyle(bsNone);
    f.SetBounds(200, 150, 300, 200);
    f.Show();
    auto* img = new TPaintBox(&f);
    img->SetParent(&f);
    img->SetBounds(0, 0, 100, 100);
    int downs = 0, clicks = 0;
    img->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    img->OnClick = [&](TObject*) { ++clicks; };

    // The transparent-form hook: the press is handled first, then the move starts.
    HWND h = f.Handle();
    LONG_PTR old = 0;
    LONG_PTR hook = MakeObjectInstance([&](TMessage& m) {
        m.Result = CallWindowProcA(old, h, m.Msg, m.WParam, m.LParam);
        if (m.Msg == WM_LBUTTONDOWN) {
            ReleaseCapture();
            SendMessage(h, WM_SYSCOMMAND, 0xF012, 0);
        }
    });
    old = SetWindowLongA(h, GWL_WNDPROC, hook);

    tk::MouseDown(&f, 10, 10);
    EXPECT_EQ(downs, 1);
    TPoint start = f.ClientToScreen(TPoint{10, 10});
    tk::MouseMove(&f, 40, 30);  // relative to the window where it was pressed
    EXPECT_EQ(f.Left(), 230);
    EXPECT_EQ(f.Top(), 170);
    (void)start;
    tk::MouseUp(&f, 40, 30);
    EXPECT_EQ(clicks, 0);  // the move loop took the release: no click
    tk::MouseMove(&f, 60, 60);
    EXPECT_EQ(f.Left(), 230);  // the move ended with the release

    SetWindowLongA(h, GWL_WNDPROC, old);
    FreeObjectInstance(hook);
    tk::Click(&f, 10, 10);
    EXPECT_EQ(clicks, 1);
}

TEST(FormsClose, SecondaryFormHidesAndCloseQueryCanRefuse) {
    tk::Session s;
    TForm mainForm(nullptr);
    Application->SetMainForm(&mainForm);
    TForm f(nullptr);
    f.Show();
    bool allow = false;
    std::vector<std::string> log;
    f.OnCloseQuery = [&](TObject*, bool& can) {
        log.push_back("query");
        can = allow;
    };
    f.OnClose = [&](TObject*, TCloseAction& a) {
        log.push_back(a == caHide ? "close hide" : "close other");
    };
    f.OnHide = [&](TObject*) { log.push_back("hide"); };
    f.Close();
    EXPECT_TRUE(f.Visible());
    allow = true;
    SendMessage(f.Handle(), WM_CLOSE, 0, 0);  // the close box goes the same way
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(log, (std::vector<std::string>{"query", "query", "close hide", "hide"}));
    EXPECT_FALSE(Application->Terminated());

    // OnClose may keep the window.
    f.Show();
    f.OnClose = [](TObject*, TCloseAction& a) { a = caNone; };
    f.Close();
    EXPECT_TRUE(f.Visible());
    Application->SetMainForm(nullptr);
}

TEST(FormsShow, ShowRunsOnShowFirstAndMakesTheFormActive) {
    tk::Session s;
    TForm a(nullptr), b(nullptr);
    bool visibleInOnShow = true;
    a.OnShow = [&](TObject*) { visibleInOnShow = a.Visible(); };
    int activations = 0;
    b.OnActivate = [&](TObject*) { ++activations; };
    a.Show();
    EXPECT_FALSE(visibleInOnShow);
    EXPECT_TRUE(a.Visible());
    EXPECT_TRUE(IsWindowVisible(a.Handle()));
    EXPECT_EQ(Screen->ActiveForm(), &a);
    b.Show();
    EXPECT_EQ(Screen->ActiveForm(), &b);
    EXPECT_EQ(activations, 1);
    b.Hide();
    EXPECT_EQ(Screen->ActiveForm(), &a);
    a.SetWindowState(wsMinimized);
    EXPECT_TRUE(GetWindowLongA(a.Handle(), GWL_STYLE) & WS_MINIMIZE);
    EXPECT_TRUE(b.Visible() == false);
}

namespace {
struct LoadedLog {
    std::vector<std::string> items;
};

class LoggingLabel : public TPaintBox {
public:
    LoggingLabel(TComponent* owner, LoadedLog* log, std::string name) : TPaintBox(owner), Log(log), N(std::move(name)) {}
    void Loaded() override {
        Log->items.push_back(N + (ComponentState().Contains(csLoading) ? " loading" : " loaded"));
        TPaintBox::Loaded();
    }
    void SetWidthChecked(int w) {
        SetWidth(w);
        Log->items.push_back(N + (ComponentState().Contains(csLoading) ? " set while loading" : " set"));
    }
    LoadedLog* Log;
    std::string N;
};

class LayoutForm : public TForm {
public:
    LayoutForm(TComponent* owner, LoadedLog* log) : TForm(owner) {
        BeginLoading();
        a = new LoggingLabel(this, log, "a");
        a->SetParent(this);
        a->SetWidthChecked(10);
        b = new LoggingLabel(this, log, "b");
        b->SetParent(this);
        OnCreate = [log](TObject*) { log->items.push_back("create"); };
        EndLoading();
    }
    LoggingLabel* a;
    LoggingLabel* b;
};

LayoutForm* gLayoutForm = nullptr;
class SelfRefForm : public TForm {
public:
    explicit SelfRefForm(TComponent* owner) : TForm(owner) { SawItself = gLayoutFormRef == this; }
    static SelfRefForm* gLayoutFormRef;
    bool SawItself = false;
};
SelfRefForm* SelfRefForm::gLayoutFormRef = nullptr;
}  // namespace

TEST(FormsLoading, LayoutsAreBuiltInTheLoadingStateThenLoadedInOrder) {
    tk::Session s;
    LoadedLog log;
    LayoutForm f(nullptr, &log);
    EXPECT_EQ(log.items, (std::vector<std::string>{"a set while loading", "a loaded", "b loaded", "create"}));
    EXPECT_FALSE(f.ComponentState().Contains(csLoading));
    EXPECT_FALSE(f.a->ComponentState().Contains(csLoading));
    EXPECT_FALSE(f.ComponentState().Contains(csDesigning));
    f.DoCreate();  // OnCreate runs once only
    EXPECT_EQ(log.items.size(), 4u);
    (void)gLayoutForm;
}

TEST(FormsApplication, CreateFormSetsTheReferenceFirstAndTheFirstFormIsMain) {
    tk::Session s;
    TApplication app(nullptr);
    SelfRefForm* f = app.CreateForm(&SelfRefForm::gLayoutFormRef);
    EXPECT_TRUE(f->SawItself);
    EXPECT_EQ(app.MainForm(), f);
    TForm* second = app.CreateForm<TForm>();
    EXPECT_EQ(app.MainForm(), f);
    EXPECT_EQ(second->Owner(), &app);
    EXPECT_EQ(app.ComponentCount(), 2);
}

TEST(FormsApplication, ClosingTheMainFormEndsTheEventLoop) {
    tk::Session s;
    TApplication app(nullptr);
    TApplication* saved = Application;
    Application = &app;
    TForm* mainForm = app.CreateForm<TForm>();
    TForm* other = app.CreateForm<TForm>();
    other->Show();
    bool closedMain = false;
    mainForm->OnClose = [&](TObject*, TCloseAction& a) {
        closedMain = true;
        EXPECT_EQ(a, caFree);
    };
    PostMessage(mainForm->Handle(), WM_CLOSE, 0, 0);
    app.Run();  // returns once the posted close ran
    EXPECT_TRUE(closedMain);
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(mainForm->Visible());
    Application = saved;
}

TEST(FormsApplication, ErrorReportGoesThroughTheReplaceableSeams) {
    tk::Session s;
    // A handler that throws: the report shows the message.
    try {
        throw EInOutError("Can't locate file: x.html");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    ASSERT_EQ(s.Boxes.size(), 1u);
    EXPECT_EQ(s.Boxes[0].Text, "Can't locate file: x.html");
    EXPECT_EQ(s.Boxes[0].Flags & MB_ICONERROR, MB_ICONERROR);

    // OnException replaces the box.
    std::string seen;
    Application->OnException = [&](TObject*, Exception& e) { seen = e.Message(); };
    try {
        throw EReadError("Stream read error");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(seen, "Stream read error");
    EXPECT_EQ(s.Boxes.size(), 1u);

    // Message boxes with caption, icon and buttons; the answer comes back.
    s.NextAnswer = IDCANCEL;
    EXPECT_EQ(MessageBoxA(nullptr, "Can't initialize device\r\n(error code: 3)", "Error", MB_OK | MB_ICONERROR),
              IDCANCEL);
    EXPECT_EQ(s.Boxes.back().Caption, "Error");
    EXPECT_EQ(Application->MessageBox("Sure?", "Q", MB_YESNO | MB_ICONQUESTION), IDCANCEL);
    EXPECT_EQ(s.Boxes.back().Flags, MB_YESNO | MB_ICONQUESTION);

    // Halt ends at once: recorded here, silent at the dispatch boundary.
    try {
        Halt(1);
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(s.Halts, std::vector<int>{1});
    EXPECT_EQ(s.Boxes.size(), 3u);
}

TEST(FormsScreen, BusyCursorAndTheCursorTable) {
    tk::Session s;
    EXPECT_EQ(Screen->Cursor(), crDefault);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    HCURSOR h = LoadCursor(nullptr, IDC_HAND);
    ASSERT_NE(h, nullptr);
    Screen->Cursors[99] = h;
    EXPECT_EQ(Screen->Cursors.Find(99), h);
    EXPECT_EQ(Screen->Cursors.Find(98), nullptr);
    EXPECT_EQ(LoadCursor(HInstance, "NO_SUCH_CURSOR"), nullptr);
    // A custom cursor from a picture's bytes.
    TBitmap pic;
    pic.SetSize(16, 16);
    std::vector<std::uint8_t> bytes = pic.SaveToBytes();
    HCURSOR custom = CreateCursorFromBytes(bytes.data(), static_cast<int>(bytes.size()), 3, 4);
    ASSERT_NE(custom, nullptr);
    Screen->Cursors[1] = custom;
    EXPECT_EQ(CreateCursorFromBytes("junk", 4, 0, 0), nullptr);
    EXPECT_GT(Screen->Width(), 0);
}

TEST(FormsModal, ShowModalReturnsTheResultAButtonSets) {
    tk::Session s;
    TForm dlg(nullptr);
    dlg.SetBorderStyle(bsDialog);
    // The user's answer arrives as a posted message while the modal loop runs.
    TWndMethod saved = dlg.WindowProc;
    dlg.WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER + 1) dlg.SetModalResult(mrYes);
        saved(m);
    };
    dlg.OnShow = [&](TObject*) { PostMessage(dlg.Handle(), WM_USER + 1, 0, 0); };
    EXPECT_EQ(dlg.ShowModal(), mrYes);
    EXPECT_FALSE(dlg.Visible());
    dlg.WindowProc = saved;
}

TEST(FormsRelease, ReleaseFreesTheFormOnALaterTurn) {
    tk::Session s;
    auto* f = new TForm(nullptr);
    bool destroyed = false;
    f->OnDestroy = [&](TObject*) { destroyed = true; };
    HWND h = f->Handle();
    f->Release();
    EXPECT_TRUE(IsWindow(h));
    tk::ProcessMessages();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(h));
}

TEST(FormsPosition, ScreenCentredOnFirstShowOnly) {
    tk::Session s;
    TForm f(nullptr);
    f.SetBorderStyle(bsNone);
    f.SetBounds(0, 0, 100, 60);
    f.SetPosition(poScreenCenter);
    f.Show();
    EXPECT_EQ(f.Left(), (Screen->Width() - 100) / 2);
    EXPECT_EQ(f.Top(), (Screen->Height() - 60) / 2);
    f.Hide();
    f.SetLeft(5);
    f.Show();
    EXPECT_EQ(f.Left(), 5);
}
