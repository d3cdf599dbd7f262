// SPDX-License-Identifier: GPL-3.0-or-later
// The icons are compiled into every program that links the resources library.

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <set>

namespace tessarin::testing {
namespace {

TEST(Icon, LoadsFromTheResourcesWithItsSizeAndColours) {
    enum class Hue { LightBlue, Red };
    struct Case {
        const char* path;
        int size;
        Hue centre;
        int maxColours;  // 0: any number
    };
    const Case cases[] = {
        {":/icons/tessarin.png", 32, Hue::LightBlue, 16},
        {":/icons/tessarin-256.png", 256, Hue::LightBlue, 0},
        {":/icons/about.png", 32, Hue::Red, 16},  // both window icons are 16-colour pictures
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const QString path = QString::fromLatin1(c.path);
        EXPECT_TRUE(QFile::exists(path)) << c.path << " is not in the program";
        const QImage image(path);
        if (image.isNull()) {
            ADD_FAILURE() << "no picture";
            continue;
        }
        EXPECT_EQ(image.size(), QSize(c.size, c.size));
        EXPECT_FALSE(QIcon(path).isNull());

        // Transparent around the picture, so it sits on any background.
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(c.size - 1, 0)), 0);

        // The right picture: the plus is light blue in the middle, the ball red.
        const QColor centre = image.pixelColor(c.size / 2, c.size / 2);
        EXPECT_EQ(centre.alpha(), 255);
        if (c.centre == Hue::LightBlue) {
            EXPECT_GT(centre.blue(), 200);
            EXPECT_GT(centre.blue(), centre.red() + 40);
        } else {
            EXPECT_GT(centre.red(), 150);
            EXPECT_GT(centre.red(), centre.green() + 100);
            EXPECT_GT(centre.red(), centre.blue() + 100);
        }

        if (c.maxColours > 0) {
            std::set<QRgb> colours;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
            }
            EXPECT_LE(static_cast<int>(colours.size()), c.maxColours);
        }
    }
}

}  // namespace
}  // namespace tessarin::testing
