// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_message_box.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>

#include "resources/texts.h"

namespace tessarin {

void QtMessageBox::ShowMessage(const std::string& text) {
    QMessageBox box(
        QMessageBox::NoIcon, QString::fromUtf8(texts::ApplicationTitle),
        QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")),
        QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

}  // namespace tessarin
