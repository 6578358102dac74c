// The program's identity towards the desktop: application name and desktop
// entry id, the window icon built from every picture of a resource kind, and
// the taskbar presence of forms.
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include "gui/windows/Forms.h"
#include "gui/draw/Gdi.h"
#include "gui/windows/detail/win_Internal.h"
#include "gui/windows/TestKit.h"

namespace {

TEST(DesktopIdentityTest, NamesTheApplicationAndBuildsTheIconFromEveryPictureOfTheKind) {
    gui::InitApplication();
    gui::SetDesktopIdentity({"Hollowmere", "korvane", "TESTICON"});
    EXPECT_EQ(QGuiApplication::applicationName().toStdString(), "Hollowmere");
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "korvane");
    const QIcon icon = QGuiApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    // A PNG and a BMP: both kinds of picture count, each at its own size.
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32))) << sizes.size();
    EXPECT_TRUE(sizes.contains(QSize(5, 3))) << sizes.size();
    const QImage big = icon.pixmap(QSize(32, 32)).toImage();
    EXPECT_EQ(big.pixelColor(16, 16).red(), 0xe0) << "the PNG's picture, not a stand-in";
    EXPECT_EQ(big.pixelColor(1, 1).blue(), 0x40);
}

TEST(DesktopIdentityTest, AKindWithoutPicturesKeepsTheIconAndEmptyFieldsKeepTheNames) {
    gui::InitApplication();
    gui::SetDesktopIdentity({"Hollowmere", "korvane", "TESTICON"});
    gui::SetDesktopIdentity({"", "", "NOSUCHKIND"});
    EXPECT_EQ(QGuiApplication::applicationName().toStdString(), "Hollowmere");
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "korvane");
    EXPECT_TRUE(QGuiApplication::windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST(DesktopIdentityTest, FormsHaveATaskbarEntryUnlessTurnedOff) {
    gui::testkit::Session session;
    auto* f = new gui::TForm(nullptr);
    EXPECT_TRUE(f->ShowInTaskbar());
    f->SetShowInTaskbar(false);
    EXPECT_FALSE(f->ShowInTaskbar());
    // Showing it off the window system is harmless; the state is kept.
    f->Show();
    EXPECT_FALSE(f->ShowInTaskbar());
    f->Hide();
    f->SetShowInTaskbar(true);
    f->Show();
    EXPECT_TRUE(f->ShowInTaskbar());
    delete f;
}

// The desktop names a window by its title. A taskbar form whose caption is
// never drawn (no border, or a region cutting the frame away) goes by the
// application's title there; every other form by its caption.
TEST(DesktopIdentityTest, FramelessTaskbarFormsGoByTheApplicationsTitle) {
    gui::testkit::Session session;
    gui::Application->SetTitle("Hollowmere");
    auto title = [](gui::TForm& f) { return gui::detail::WidgetOf(&f)->windowTitle().toStdString(); };
    gui::TForm framed(nullptr);
    framed.SetCaption("Form1");
    EXPECT_EQ(title(framed), "Form1");
    ASSERT_EQ(gui::SetWindowRgn(framed.Handle(), gui::CreateRectRgn(0, 0, 50, 50), true), 1);
    EXPECT_EQ(title(framed), "Hollowmere") << "the region cuts the caption away";
    EXPECT_EQ(framed.WindowSystemTitle(), "Hollowmere");
    EXPECT_EQ(framed.Caption(), "Form1") << "the caption itself stays";
    framed.SetShowInTaskbar(false);
    EXPECT_EQ(title(framed), "Form1");

    gui::TForm plain(nullptr);
    plain.SetBorderStyle(gui::bsNone);
    plain.SetCaption("Splash");
    EXPECT_EQ(title(plain), "Hollowmere");
    plain.SetBorderStyle(gui::bsSingle);
    EXPECT_EQ(title(plain), "Splash");
    gui::Application->SetTitle("korvane");
}

}  // namespace
