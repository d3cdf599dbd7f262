// SPDX-License-Identifier: GPL-3.0-or-later
// The icons are compiled into every program that links the resources library.

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <ostream>
#include <set>
#include <string>

namespace tessarin::testing {
namespace {

enum class Hue { LightBlue, Red };

struct IconCase {
    const char* path;
    int size;
    Hue centre;
    int maxColours;  // 0: any number
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const IconCase& c, std::ostream* os) { *os << c.path; }

class Icon : public ::testing::TestWithParam<IconCase> {};

TEST_P(Icon, LoadsFromTheResourcesWithItsSizeAndColours) {
    const IconCase& c = GetParam();
    const QString path = QString::fromLatin1(c.path);
    ASSERT_TRUE(QFile::exists(path)) << c.path << " is not in the program";
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
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

INSTANTIATE_TEST_SUITE_P(About, Icon,
                         ::testing::Values(IconCase{":/icons/tessarin.png", 32, Hue::LightBlue, 16},
                                           IconCase{":/icons/tessarin-256.png", 256, Hue::LightBlue,
                                                    0},
                                           // Both window icons are 16-colour pictures.
                                           IconCase{":/icons/about.png", 32, Hue::Red, 16}),
                         [](const auto& info) {
                             std::string name = info.param.path;
                             name = name.substr(name.rfind('/') + 1);
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace tessarin::testing
