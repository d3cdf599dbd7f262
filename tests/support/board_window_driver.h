// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The board window driven as a user would, offscreen: pointer, keys and menu commands in,
// the game, the title and the pixels out. Shared by the board window's tests and
// bench/turn_bench.cpp (which uses BoardUser alone, on services of its own).

#include <QAction>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <initializer_list>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "engine/game_state.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recorders.h"
#include "ui/board_window/board_canvas.h"
#include "ui/board_window/board_geometry.h"
#include "ui/board_window/board_window.h"

namespace tessarin::testing {

constexpr QRgb Red = 0xFF0000;  // pixels are compared without their alpha
constexpr QRgb Black = 0x000000;

// What a user does to a board window and what they see there, for a window on any services.
class BoardUser {
public:
    explicit BoardUser(Form1& form) : form_(form) {}

    GameState& game() { return form_.Game(); }
    BoardCanvas* canvas() { return form_.Canvas(); }

    // Window pixel of a board point, from the geometry the game holds now.
    QPoint PixelOf(int column, int row) {
        const Twips scale = canvas()->Scale();
        return QPointF(scale.ToPixelsX(LinePosition(column, game().CellSize, game().Margin)),
                       scale.ToPixelsY(LinePosition(row, game().CellSize, game().Margin)))
            .toPoint();
    }
    void ClickAt(QPoint pixel, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(canvas(), button, Qt::NoModifier, pixel);
    }
    void Click(int column, int row, Qt::MouseButton button = Qt::LeftButton) {
        ClickAt(PixelOf(column, row), button);
    }
    // A release alone, straight to the canvas, at any position: fractions and far off included.
    void ReleaseAt(QPointF pixel, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent release(QEvent::MouseButtonRelease, pixel, canvas()->mapToGlobal(pixel), button,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &release);
    }
    void MoveTo(QPointF pixel) {
        QMouseEvent move(QEvent::MouseMove, pixel, canvas()->mapToGlobal(pixel), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &move);
    }
    // Keys by name, separated by blanks: "Right Right Space".
    void Keys(const std::string& names) {
        static const std::map<std::string, Qt::Key> keys = {
            {"Left", Qt::Key_Left},    {"Right", Qt::Key_Right},   {"Up", Qt::Key_Up},
            {"Down", Qt::Key_Down},    {"Home", Qt::Key_Home},     {"End", Qt::Key_End},
            {"PgUp", Qt::Key_PageUp},  {"PgDn", Qt::Key_PageDown}, {"Space", Qt::Key_Space},
            {"Enter", Qt::Key_Return}, {"KpEnter", Qt::Key_Enter},
        };
        std::istringstream words(names);
        for (std::string name; words >> name;) {
            const Qt::KeyboardModifiers modifiers =
                name == "KpEnter" ? Qt::KeypadModifier : Qt::NoModifier;
            QTest::keyClick(canvas(), keys.at(name), modifiers);
        }
    }
    // A menu command by its item's name: "重來", "提示", "比數", "關於".
    void Choose(const char* item) { form_.findChild<QAction*>(QString::fromUtf8(item))->trigger(); }

    // The retained picture's colour at a point's centre.
    QRgb PixelAt(int column, int row) {
        const QImage image = canvas()->Snapshot();
        return image.pixel(ImagePoint(image, column, row)) & 0xFFFFFF;
    }
    // Whether the grid passes within a pixel of the point: lines fall on whole pixels, the
    // point's exact position need not.
    bool GridCrossingAt(int column, int row) {
        const QImage image = canvas()->Snapshot();
        const QPoint p = ImagePoint(image, column, row);
        int dark = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                dark += (image.pixel(p + QPoint(dx, dy)) & 0xFFFFFF) == Black;
        return dark > 0;
    }
    // What the canvas shows on screen, and the retained picture under it, at the same size.
    QImage OnScreen() {
        return canvas()->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QImage Picture() {
        const QImage screen = OnScreen();
        return canvas()->Snapshot().copy(0, 0, screen.width(), screen.height());
    }

    int Stones(std::int16_t side) {
        int n = 0;
        for (int x = 1; x <= BoardSize; ++x)
            for (int y = 1; y <= BoardSize; ++y) n += game().Board(x, y) == side;
        return n;
    }
    void PutStones(std::int16_t side, std::initializer_list<Point> points) {
        for (Point p : points) game().Board(p.x, p.y) = side;
    }

private:
    QPoint ImagePoint(const QImage& image, int column, int row) {
        return (QPointF(PixelOf(column, row)) * image.devicePixelRatio()).toPoint();
    }

    Form1& form_;
};

// The services a test window is built on, recorded. A base of Window, so that they are built
// before the window and outlive it.
struct RecordedServices {
    RecordingMessageBox messages;
    ScriptedRandom random;
    MemorySettings settings;
};

// A settings store holding these keys of [Info].
inline MemorySettings Stored(std::initializer_list<std::pair<const char*, QString>> keys) {
    MemorySettings stored;
    for (const auto& [key, value] : keys) stored.Set(key, value);
    return stored;
}

enum class Shown { No, Yes };

// One board window on recorded services, shown and exposed unless told otherwise.
class Window : public RecordedServices, public BoardUser {
public:
    explicit Window(Shown shown = Shown::Yes, MemorySettings stored = {},
                    std::function<QWidget*(QWidget*)> createAbout = nullptr)
        : RecordedServices{{}, {}, std::move(stored)},
          BoardUser(form),
          form({messages, random, settings, std::move(createAbout)}) {
        if (shown == Shown::Yes) Show();
    }
    // A window never exposed skips its repaints: the test fails at once (as an exception).
    void Show() {
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) throw std::runtime_error("window not exposed");
    }

    Form1 form;
};

}  // namespace tessarin::testing
