// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>

#include "platform/message_box.h"

class QWidget;

namespace tessarin {

// QMessageBox with the text alone: no icon (not even the stock one X11 puts on the OK
// button), a single OK button, and the application title as caption.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(const std::string& text) override;
    void ShowMessageWithLead(const std::string& lead, const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace tessarin
