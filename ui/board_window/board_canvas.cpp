// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/board_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tessarin {
namespace {

constexpr double InitialClientWidth = 8550;  // twips
constexpr double InitialClientHeight = 6390;
// The keyboard point's outline, in logical pixels: thin, and just clear of a stone.
constexpr double MarkPenWidth = 2;
constexpr double MarkClearance = 2;

// Painter whose coordinates are twips, with a pen one window pixel wide.
//
// At a fractional pixel ratio (a screen scaled to 150 %) one window pixel is 1.5 image
// pixels, and a line that wide comes out one or two pixels thick depending on where it falls.
// So the pen is the nearest whole number of image pixels to one window pixel (at least one),
// and Line's ends are moved onto the middle of the whole pixels that pen covers. At a whole
// ratio those are the pixels the unmoved line covered, so there nothing changes.
class TwipsPainter : public QPainter {
public:
    TwipsPainter(QImage* image, const Twips& scale)
        : QPainter(image),
          twips_(scale),
          ratio_(image->devicePixelRatio()),
          penPixels_(std::max(1.0, std::round(ratio_))) {
        this->scale(1.0 / scale.PerPixelX(), 1.0 / scale.PerPixelY());
    }
    QPen Pen(const QColor& colour) const {
        return QPen(colour, twips_.PerPixelX() * penPixels_ / ratio_, Qt::SolidLine);
    }
    // Where `twips` lies once moved to the middle of the band of whole image pixels that the
    // pen covers around it.
    QPointF OnPixels(QPointF twips) const {
        return {SnapAxis(twips.x(), twips_.PerPixelX()), SnapAxis(twips.y(), twips_.PerPixelY())};
    }

private:
    // A pen w pixels wide along position p covers the pixels whose middles lie in
    // [p - w/2, p + w/2); the first of them starts at floor(p - w/2 + 1/2).
    double SnapAxis(double twips, double perPixel) const {
        const double pixels = twips / perPixel * ratio_;
        const double firstCovered = std::floor(pixels - penPixels_ / 2 + 0.5);
        return (firstCovered + penPixels_ / 2) / ratio_ * perPixel;
    }

    Twips twips_;
    double ratio_;
    double penPixels_;
};

}  // namespace

BoardCanvas::BoardCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
}

QSize BoardCanvas::sizeHint() const {
    return Scale().PixelSize(InitialClientWidth, InitialClientHeight);
}

double BoardCanvas::ScaleHeight() const { return Scale().ToTwipsY(height()); }
double BoardCanvas::ScaleWidth() const { return Scale().ToTwipsX(width()); }

QColor BoardCanvas::Background() const { return palette().color(QPalette::Button); }

QImage BoardCanvas::BlankImage(QSize deviceSize, qreal ratio) const {
    QImage image(deviceSize, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Background());
    return image;
}

QSize BoardCanvas::DeviceSize() const {
    const qreal ratio = devicePixelRatioF();
    return {std::max(1, static_cast<int>(std::ceil(width() * ratio))),
            std::max(1, static_cast<int>(std::ceil(height() * ratio)))};
}

void BoardCanvas::FitImage() {
    const qreal ratio = devicePixelRatioF();
    const QSize wanted = DeviceSize();
    const bool sameRatio = !image_.isNull() && image_.devicePixelRatio() == ratio;
    if (sameRatio && image_.width() >= wanted.width() && image_.height() >= wanted.height()) return;
    QImage fitted = BlankImage(sameRatio ? wanted.expandedTo(image_.size()) : wanted, ratio);
    if (!image_.isNull()) {
        // Drawn at its own pixel ratio, the old picture lands at the same place in twips even
        // after a move to a screen of another density.
        QPainter copy(&fitted);
        copy.drawImage(QPointF(0, 0), image_);
    }
    image_ = std::move(fitted);
}

void BoardCanvas::Cls() {
    // Clearing discards the picture, so the image also shrinks back to the widget: a window
    // once made huge does not keep a huge image.
    image_ = BlankImage(DeviceSize(), devicePixelRatioF());
    update();
}

void BoardCanvas::Line(QPointF from, QPointF to, const QColor& colour) {
    FitImage();
    TwipsPainter painter(&image_, Scale());
    painter.setPen(painter.Pen(colour));
    painter.drawLine(painter.OnPixels(from), painter.OnPixels(to));
    update();
}

void BoardCanvas::Circle(QPointF centre, double radius, const QColor& colour) {
    FitImage();
    TwipsPainter painter(&image_, Scale());
    painter.setRenderHint(QPainter::Antialiasing);  // lines stay crisp; discs look round
    painter.setPen(painter.Pen(colour));
    painter.setBrush(colour);
    painter.drawEllipse(centre, radius, radius);
    update();
}

QImage BoardCanvas::Snapshot() {
    FitImage();
    return image_;
}

void BoardCanvas::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    FitImage();
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image_);
    if (markShown_ && !mark_.isNull()) {
        const Twips scale = Scale();
        const QRectF outline =
            QRectF(scale.ToPixels(mark_.topLeft()), scale.ToPixels(mark_.bottomRight()))
                .adjusted(-MarkClearance, -MarkClearance, MarkClearance, MarkClearance);
        painter.setPen(QPen(palette().color(QPalette::Highlight), MarkPenWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(outline);
    }
}

void BoardCanvas::PlaceMark(QRectF twips) {
    mark_ = twips;
    if (markShown_) update();
}

void BoardCanvas::HideMark() {
    if (!markShown_) return;
    markShown_ = false;
    update();
}

void BoardCanvas::mouseMoveEvent(QMouseEvent* event) {
    HideMark();
    emit MouseMoved(Scale().ToTwips(event->position()));
    QWidget::mouseMoveEvent(event);
}

void BoardCanvas::mouseReleaseEvent(QMouseEvent* event) {
    // The pointer is in use again, even where it did not move before the click.
    HideMark();
    emit MouseReleased(Scale().ToTwips(event->position()));
    QWidget::mouseReleaseEvent(event);
}

void BoardCanvas::keyPressEvent(QKeyEvent* event) {
    const std::optional<BoardKey> key = BoardKeyFor(event->key(), event->modifiers());
    if (!key) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A held Space or Enter plays once, as a held mouse button is one release.
    if (*key == BoardKey::Play && event->isAutoRepeat()) return;
    markShown_ = true;
    emit BoardKeyPressed(*key);
    update();
}

void BoardCanvas::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    emit FocusGained();
}

}  // namespace tessarin
