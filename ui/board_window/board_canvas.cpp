#include "ui/board_window/board_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tessarin {
namespace {

constexpr double InitialClientWidth = 8550;  // twips
constexpr double InitialClientHeight = 6390;

// Painter whose coordinates are twips; a pen of one logical pixel.
class TwipsPainter : public QPainter {
public:
    TwipsPainter(QImage* image, const Twips& scale) : QPainter(image) {
        this->scale(1.0 / scale.PerPixelX(), 1.0 / scale.PerPixelY());
        onePixel_ = scale.PerPixelX();
    }
    QPen Pen(const QColor& colour) const { return QPen(colour, onePixel_, Qt::SolidLine); }

private:
    double onePixel_ = 1.0;
};

}  // namespace

BoardCanvas::BoardCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    painter.drawLine(from, to);
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
}

void BoardCanvas::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMoved(Scale().ToTwips(event->position()));
    QWidget::mouseMoveEvent(event);
}

void BoardCanvas::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseReleased(Scale().ToTwips(event->position()));
    QWidget::mouseReleaseEvent(event);
}

}  // namespace tessarin
