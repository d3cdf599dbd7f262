// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

class QWidget;

namespace tessarin {

// Window geometry is laid out in twips (1/1440 inch). Qt works in device-independent pixels;
// this converts between the two with the screen's logical DPI (15 twips per pixel at 96 DPI).
class Twips {
public:
    static constexpr double PerInch = 1440.0;

    explicit Twips(double dpiX = 96.0, double dpiY = 96.0)
        : perPixelX_(PerInch / dpiX), perPixelY_(PerInch / dpiY) {}
    // The scale of the screen the widget is on (or the primary screen before it is shown).
    static Twips For(const QWidget* widget);

    double PerPixelX() const { return perPixelX_; }
    double PerPixelY() const { return perPixelY_; }

    double ToTwipsX(double pixels) const { return pixels * perPixelX_; }
    double ToTwipsY(double pixels) const { return pixels * perPixelY_; }
    QPointF ToTwips(QPointF pixels) const { return {ToTwipsX(pixels.x()), ToTwipsY(pixels.y())}; }

    double ToPixelsX(double twips) const { return twips / perPixelX_; }
    double ToPixelsY(double twips) const { return twips / perPixelY_; }
    QPointF ToPixels(QPointF twips) const { return {ToPixelsX(twips.x()), ToPixelsY(twips.y())}; }
    // Whole pixels, for widget geometry: rounded to the nearest pixel.
    int PixelsX(double twips) const;
    int PixelsY(double twips) const;
    QSize PixelSize(double widthTwips, double heightTwips) const {
        return {PixelsX(widthTwips), PixelsY(heightTwips)};
    }
    QRect PixelRect(double left, double top, double width, double height) const {
        return {PixelsX(left), PixelsY(top), PixelsX(width), PixelsY(height)};
    }

private:
    double perPixelX_;
    double perPixelY_;
};

}  // namespace tessarin
