// The program's own icon set, as embedded from the generator's PNGs: every
// size decodes (the generator writes its PNGs without zlib, so a wrong
// checksum or block header would show here) and shows the moon.
#include <QGuiApplication>
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include "gui/windows/Forms.h"
#include "gui/base/Resources.h"

namespace {

TEST(ProgramIconTest, EverySizeDecodesAndShowsTheMoonOnTheNightSky) {
    gui::InitApplication();
    EXPECT_EQ(gui::ResourceNames("ICON").size(), 6u);
    gui::SetDesktopIdentity({"Hollowmere", "korvane", "ICON"});
    const QIcon icon = QGuiApplication::windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int n : {16, 32, 48, 64, 128, 256}) {
        ASSERT_TRUE(sizes.contains(QSize(n, n))) << n;
        const QImage img = icon.pixmap(QSize(n, n)).toImage();
        ASSERT_EQ(img.size(), QSize(n, n));
        const QColor moon = img.pixelColor(n / 2, n * 58 / 100);
        const QColor sky = img.pixelColor(0, 0);
        EXPECT_GT(moon.lightness(), 150) << n;
        EXPECT_LT(sky.lightness(), 80) << n;
    }
}

}  // namespace
