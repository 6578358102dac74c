// The program's identity towards the desktop: application name and desktop
// entry id, the window icon built from every picture of a resource kind, and
// the taskbar presence of forms.
#include <QGuiApplication>
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include "gui/Forms.h"
#include "gui/TestKit.h"

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

}  // namespace
