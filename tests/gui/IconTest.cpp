// The small program icons are drawn for their size: inside the code disc every pixel is one of
// the picture's few colours (a scaled-down disc is mostly blends of them), the outline is
// centred on the pixel grid, and a light rim sets the disc off the dark square; the windows'
// icon carries them.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSet>

#include "ui/common/Ui.h"

namespace veltrin::test {
namespace {

QImage Icon(int size) {
    return QImage(QStringLiteral(VELTRIN_SOURCE_DIR "/res/pictures/128-%1.png").arg(size))
        .convertToFormat(QImage::Format_ARGB32);
}

TEST(SmallIcons, InsideTheDiscOnlyThePicturesOwnColours) {
    for (int size : {16, 32}) {
        const QImage icon = Icon(size);
        ASSERT_EQ(icon.size(), QSize(size, size)) << size;
        QSet<QRgb> colours;
        int inside = 0;
        const double centre = size / 2.0, radius = size * 0.4;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
                if (dx * dx + dy * dy >= (radius - 1) * (radius - 1)) continue;
                ++inside;
                EXPECT_EQ(qAlpha(icon.pixel(x, y)), 255) << size << ": " << x << "," << y;
                colours.insert(icon.pixel(x, y));
            }
        }
        EXPECT_GT(inside, size * size / 3);
        // Light, dark, the shaft (with its edge at 32) and the orange index mark.
        EXPECT_LE(colours.size(), 5) << size << " px: " << colours.size() << " colours inside the disc";
    }
}

TEST(SmallIcons, OutlineIsSymmetricAndTheDiscHasItsLightRim) {
    for (int size : {16, 32}) {
        const QImage icon = Icon(size);
        // The square's corners and the disc's outline mirror each other: centred on the grid.
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size / 2; ++x)
                EXPECT_EQ(qAlpha(icon.pixel(x, y)), qAlpha(icon.pixel(size - 1 - x, y)))
                    << size << ": " << x << "," << y;
        // The light rim keeps the disc apart from the dark square, also where a track is dark:
        // the outermost pixels of the disc left and right of the centre.
        const int disc = size * 7 / 16;
        EXPECT_GT(QColor(icon.pixel(size / 2 - disc, size / 2)).lightness(), 200) << size;
        EXPECT_GT(QColor(icon.pixel(size / 2 + disc - 1, size / 2)).lightness(), 200) << size;
        EXPECT_LT(QColor(icon.pixel(size / 2 - disc - 1, size / 2)).lightness(), 100) << size;
    }
}

// The windows' icon gives the small drawings at their sizes, not a reduction of the large one.
TEST(SmallIcons, ProgramIconUsesThemAtTheirSizes) {
    const QIcon icon = ui::ProgramIcon();
    for (int size : {16, 32}) {
        const QImage shown = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage drawn = Icon(size);
        ASSERT_EQ(shown.size(), drawn.size()) << size;
        // Opaque pixels alike (the half-transparent corners pass through premultiplied colour).
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                differing += qAlpha(drawn.pixel(x, y)) == 255 && shown.pixel(x, y) != drawn.pixel(x, y);
        EXPECT_EQ(differing, 0) << size << " px";
    }
    EXPECT_EQ(icon.pixmap(64, 64).size(), QSize(64, 64));
}

}  // namespace
}  // namespace veltrin::test
