// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/desktop_size_limit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tessarin {
namespace {

class DesktopSizeLimit final : public QObject {
public:
    explicit DesktopSizeLimit(QWidget* window)
        : QObject(window), window_(window), floor_(window->size()) {
        for (QScreen* screen : QGuiApplication::screens()) Watch(screen);
        connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
            Watch(screen);
            Apply();
        });
        connect(qApp, &QGuiApplication::screenRemoved, this, &DesktopSizeLimit::Apply);
        window->installEventFilter(this);
        Apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || event->type() != QEvent::Resize) return false;
        const QSize limit = window_->maximumSize();
        if (window_->width() <= limit.width() && window_->height() <= limit.height()) return false;
        // The resize to the limit delivers a resize event of its own first; this one, for a
        // size the window no longer has, goes no further.
        window_->resize(window_->size().boundedTo(limit));
        return true;
    }

private:
    void Watch(QScreen* screen) {
        connect(screen, &QScreen::virtualGeometryChanged, this, &DesktopSizeLimit::Apply);
    }

    void Apply() {
        QSize desktop;
        for (const QScreen* screen : QGuiApplication::screens()) {
            desktop = desktop.expandedTo(screen->virtualSize());
        }
        if (desktop.isEmpty()) return;  // no screen to go by: keep the limit there is
        window_->setMaximumSize(desktop.expandedTo(floor_));
    }

    QWidget* window_;
    QSize floor_;
};

}  // namespace

void LimitToDesktop(QWidget* window) { new DesktopSizeLimit(window); }

}  // namespace tessarin
