// SPDX-License-Identifier: GPL-3.0-or-later
// The board as drawn in device pixels, run by CTest at several screen scale factors (1, 1.25,
// 1.5, 1.75, 2): lines of one thickness, round stones on their points, and a window that a
// huge size request cannot blow up.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <vector>

#include "tests/support/board_window_driver.h"

namespace tessarin {
namespace {

using testing::Black;

QRgb Colour(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// A run of black pixels met along a scan line, in image pixels.
struct BlackRun {
    int start;
    int length;
    double Middle() const { return start + length / 2.0; }
};

// The black runs along column `x` (vertical scan) or row `y` (horizontal scan) of the image.
std::vector<BlackRun> BlackRuns(const QImage& image, bool vertical, int at) {
    std::vector<BlackRun> runs;
    const int length = vertical ? image.height() : image.width();
    for (int i = 0; i < length; ++i) {
        const bool black = (vertical ? Colour(image, at, i) : Colour(image, i, at)) == Black;
        if (!black) continue;
        if (!runs.empty() && runs.back().start + runs.back().length == i) {
            ++runs.back().length;
        } else {
            runs.push_back({i, 1});
        }
    }
    return runs;
}

class DevicePixelsTest : public ::testing::Test {
protected:
    void SetUp() override { w.Show(); }
    QImage Image() { return w.canvas()->Snapshot(); }
    double Ratio() { return Image().devicePixelRatio(); }
    double ToImage(double windowPixels) { return windowPixels * Ratio(); }

    // Where line `index` lies in the image, in image pixels, unrounded: the column's x or the
    // row's y.
    double Line(bool column, int index) {
        const Twips scale = w.canvas()->Scale();
        const double twips = LinePosition(index, w.game().CellSize, w.game().Margin);
        return ToImage(column ? scale.ToPixelsX(twips) : scale.ToPixelsY(twips));
    }
    // The black runs met by a scan across the lines of one direction, between two lines of
    // the other: all 19 rows when scanning down between two columns, and the other way.
    std::vector<BlackRun> Crossed(bool columns, int gap) {
        const double between = (Line(!columns, gap) + Line(!columns, gap + 1)) / 2;
        return BlackRuns(Image(), !columns, static_cast<int>(std::floor(between)));
    }

    testing::Window w{testing::Shown::No};
    const QSize designed = w.form.size();  // before the first show squares it
};

TEST_F(DevicePixelsTest, EveryGridLineIsOneWindowPixelInWholeDevicePixels) {
    // The scale CTest runs this at is in effect.
    ASSERT_DOUBLE_EQ(Ratio(), qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    // One window pixel at this scale, to the nearest whole device pixel.
    const int thickness = std::max(1, static_cast<int>(std::lround(Ratio())));
    // The designed size, then sizes that put the lines at other fractions of a pixel.
    const QSize sizes[] = {w.form.size(), {431, 431}, {557, 520}, {389, 402}};
    for (const QSize size : sizes) {
        w.form.resize(size);
        QTest::qWait(1);
        const std::string where = std::to_string(w.form.width()) + "x" +
                                  std::to_string(w.form.height()) + ", cell " +
                                  std::to_string(w.game().CellSize) + ", ";
        // Each line is crossed in every gap between the lines across it: all 38 lines are
        // measured 18 times along their length.
        for (const bool columns : {true, false}) {
            const char* kind = columns ? "column " : "row ";
            for (int gap = 1; gap < BoardSize; ++gap) {
                const std::vector<BlackRun> runs = Crossed(columns, gap);
                ASSERT_EQ(runs.size(), std::size_t{BoardSize})
                    << where << kind << "lines, gap " << gap;
                for (int line = 1; line <= BoardSize; ++line) {
                    const BlackRun& run = runs[line - 1];
                    EXPECT_EQ(run.length, thickness) << where << kind << line << ", gap " << gap;
                    // On its position, moved at most half a pixel onto whole pixels.
                    EXPECT_LE(std::abs(run.Middle() - Line(columns, line)), 0.5 + 1e-9)
                        << where << kind << line << ", gap " << gap;
                }
            }
        }
    }
}

TEST_F(DevicePixelsTest, StonesAreRoundAndCentredOnTheirPoints) {
    w.random.Always(0.0f);
    const QSize sizes[] = {w.form.size(), {431, 431}, {557, 520}};
    for (const QSize size : sizes) {
        w.form.resize(size);
        QTest::qWait(1);
        const QPointF centre(Line(true, 10), Line(false, 10));
        if (w.game().Board(10, 10) == EmptyCell) {
            w.ClickAt((centre / Ratio()).toPoint());
        }
        ASSERT_EQ(w.game().Board(10, 10), HumanSide);
        const QImage image = Image();
        // The disc's edge: its radius plus half its outline.
        const double edge = ToImage(w.canvas()->Scale().ToPixelsX(w.game().StoneRadius)) +
                            std::max(1.0, std::round(Ratio())) / 2;
        // Antialiased, a pixel is more than half the stone's colour when its centre lies
        // inside the edge and less than that outside; allowing for where the coverage of a
        // pixel's square turns, measured from the point's own position, this holds only
        // for a round disc centred there.
        const auto mostlyRed = [](QRgb c) { return qRed(c) > 127 && qGreen(c) < 128; };
        int inside = 0;
        const int reach = static_cast<int>(edge) + 3;
        for (int y = static_cast<int>(centre.y()) - reach; y <= centre.y() + reach; ++y) {
            for (int x = static_cast<int>(centre.x()) - reach; x <= centre.x() + reach; ++x) {
                const double distance = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
                if (std::abs(distance - edge) < 0.75) continue;
                EXPECT_EQ(mostlyRed(Colour(image, x, y)), distance < edge)
                    << "pixel " << x << "," << y << ", " << distance - edge << " from the edge";
                inside += distance < edge;
            }
        }
        EXPECT_GT(inside, 0);
    }
}

TEST_F(DevicePixelsTest, HugeSizesStopAtTheDesktopAndTheBoardComesBack) {
    QSize desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop = desktop.expandedTo(screen->virtualSize());
    // Never below the designed size, on a screen too small to hold it.
    const QSize limit = desktop.expandedTo(designed);
    // (A window system that imposes such a size, as an X server without a window manager
    // does, is tried by the end-to-end test.)
    w.form.resize(4000, 3000);
    QTest::qWait(1);
    EXPECT_LE(w.form.width(), limit.width());
    EXPECT_LE(w.form.height(), limit.height());
    EXPECT_LE(Image().width(), std::ceil(limit.width() * Ratio()));
    EXPECT_LE(Image().height(), std::ceil(limit.height() * Ratio()));

    w.form.resize(400, 400);
    QTest::qWait(1);
    EXPECT_EQ(Crossed(true, 1).size(), std::size_t{BoardSize});
    EXPECT_EQ(Crossed(false, 18).size(), std::size_t{BoardSize});
}

}  // namespace
}  // namespace tessarin
