// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace tessarin {

Twips Twips::For(const QWidget* widget) {
    if (widget) return Twips(widget->logicalDpiX(), widget->logicalDpiY());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        return Twips(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
    }
    return Twips();
}

int Twips::PixelsX(double twips) const { return static_cast<int>(std::lround(ToPixelsX(twips))); }
int Twips::PixelsY(double twips) const { return static_cast<int>(std::lround(ToPixelsY(twips))); }

}  // namespace tessarin
