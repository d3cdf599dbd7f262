// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>

#include "resources/texts.h"

namespace tessarin {

void QtMessageBox::ShowMessage(const std::string& text) { ShowMessageWithLead({}, text); }

void QtMessageBox::ShowMessageWithLead(const std::string& lead, const std::string& text) {
    const QString shown =
        QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // The box belongs to the window it was opened from (the About dialog's viewer, the board's
    // commands), which gets the focus back when it closes.
    const QPointer<QWidget> opener =
        QApplication::activeWindow() ? QApplication::activeWindow() : parent_.data();
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(texts::ApplicationTitle), shown,
                    QMessageBox::Ok, opener);
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
