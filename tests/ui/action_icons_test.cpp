// The drawn artwork: sizes, the lamp colours, and icons that are not blank.
#include <gtest/gtest.h>

#include <QImage>

#include "ui/action_icons.h"

namespace {

int OpaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                ++count;
    return count;
}

TEST(ActionIcons, MainImageListHoldsTwelveSixteenPixelIcons)
{
    const std::vector<QIcon> icons = MainImageList();
    ASSERT_EQ(icons.size(), 12u);
    for (int i = 0; i < kMainImageCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(icons[i].isNull());
        const QPixmap pixmap = icons[i].pixmap(16, 16);
        EXPECT_EQ(pixmap.size(), QSize(16, 16));
        const QImage image = MainImage(i).toImage();
        EXPECT_EQ(image.size(), QSize(16, 16));
        // Drawn, but not a filled square: a transparent background shows.
        const int opaque = OpaquePixels(image);
        EXPECT_GT(opaque, 20);
        EXPECT_LT(opaque, 16 * 16);
        EXPECT_EQ(qAlpha(image.pixel(0, 15)) == 255 && qAlpha(image.pixel(15, 0)) == 255
                      && qAlpha(image.pixel(0, 0)) == 255 && qAlpha(image.pixel(15, 15)) == 255,
                  false);
    }
    EXPECT_TRUE(MainImage(-1).isNull());
    EXPECT_TRUE(MainImage(kMainImageCount).isNull());
}

TEST(ActionIcons, IconsOfTheActionsDiffer)
{
    const int used[] = {kImageModify, kImageClear, kImageRun, kImageStop,
                        kImageExit, kImageAbout, kImageConfigure, kImageHelp};
    for (int a : used) {
        for (int b : used) {
            if (a < b) {
                EXPECT_NE(MainImage(a).toImage(), MainImage(b).toImage()) << a << " " << b;
            }
        }
    }
}

TEST(ActionIcons, RunIsGreenAndStopIsRed)
{
    const QColor run = MainImage(kImageRun).toImage().pixelColor(7, 8);
    EXPECT_GT(run.green(), run.red() + 60);
    const QColor stop = MainImage(kImageStop).toImage().pixelColor(8, 8);
    EXPECT_GT(stop.red(), stop.green() + 60);
}

TEST(ActionIcons, ProgramIconHasSeveralSizes)
{
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_GE(icon.availableSizes().size(), 3);
    EXPECT_EQ(icon.pixmap(16, 16).size(), QSize(16, 16));
}

TEST(ActionIcons, LampsAreRoundWithTheirExactColours)
{
    const std::array<QPixmap, kLampCount> lamps = LampImages();
    const QRgb colours[kLampCount] = {qRgb(0, 255, 0), qRgb(0, 128, 0), qRgb(255, 0, 0),
                                      qRgb(128, 0, 0)};
    for (int i = 0; i < kLampCount; ++i) {
        SCOPED_TRACE(i);
        const QImage image = lamps[i].toImage();
        ASSERT_EQ(image.size(), QSize(16, 16));
        for (const QPoint centre : {QPoint(8, 8), QPoint(7, 7), QPoint(8, 9)}) {
            const QRgb pixel = image.pixel(centre);
            EXPECT_EQ(qAlpha(pixel), 255);
            EXPECT_EQ(pixel & 0xFFFFFFu, colours[i] & 0xFFFFFFu);
        }
        // Round on a transparent ground: the corners are clear.
        for (const QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)})
            EXPECT_EQ(qAlpha(image.pixel(corner)), 0);
    }
}

} // namespace
