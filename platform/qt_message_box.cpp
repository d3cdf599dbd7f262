// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QWindow>

#include "resources/texts.h"

namespace tessarin {

namespace {

// Makes a window's native window, once made and before it is shown, belong to `owner`: the
// window manager gives the owner the focus back when it closes. (Making the native window
// early, by asking for its id, would make the board's own widgets native windows too.)
class BelongsTo final : public QObject {
public:
    BelongsTo(QWidget& window, QWidget* owner) : QObject(&window), owner_(owner) {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        QWindow* native = static_cast<QWidget*>(watched)->windowHandle();
        if (event->type() == QEvent::WinIdChange && native && owner_ && owner_->windowHandle())
            native->setTransientParent(owner_->windowHandle());
        return false;
    }

private:
    QPointer<QWidget> owner_;
};

}  // namespace

void QtMessageBox::ShowMessage(const std::string& text) { ShowMessageWithLead({}, text); }

void QtMessageBox::ShowMessageWithLead(const std::string& lead, const std::string& text) {
    const QString shown =
        QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(texts::ApplicationTitle), shown,
                    QMessageBox::Ok, parent_);
    // Shown where it always was, over the board, the box belongs to the window it was opened
    // from (the About dialog for the viewer's), which the window manager gives the focus back.
    const QPointer<QWidget> opener =
        QApplication::activeWindow() ? QApplication::activeWindow() : parent_.data();
    if (opener && opener != parent_) new BelongsTo(box, opener);
    // A screen reader reads an alert's label by its accessible name, which is the text unless set.
    if (!lead.empty()) {
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            label->setAccessibleName(QString::fromStdString(lead) + QStringLiteral("。") + shown);
    }
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    if (opener) opener->activateWindow();
}

}  // namespace tessarin
