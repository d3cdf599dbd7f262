// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "platform/registry.h"
#include "ui/about/about_actions.h"

class QLabel;
class QPushButton;

namespace tessarin {

class ClickLabel;
class MessageBox;
class ProgramStarter;

// The About dialog: the program's title, a note from the author and a disclaimer, with buttons
// to close it and to start the system-information viewer, and a mail link behind both texts.
//
// Modeless, owned by the board window, which stays usable. It deletes itself when closed, by
// its button, Enter, Esc or the close box; hold it in a QPointer and build a new one for the next
// showing. Nothing in it changes while it is open, so nothing needs carrying over.
class frmAbout final : public QDialog {
    Q_OBJECT

public:
    // `owner` is the board window: the dialog stays above it and has no taskbar entry of its
    // own. The services must outlive the dialog (the board window owns both).
    frmAbout(MessageBox& messages, Registry& registry, ProgramStarter& starter,
             QWidget* owner = nullptr);

    // Starts the system-information viewer named by the registry, or shows
    // "目前無法提供系統資訊" when it cannot (AboutActions does the looking up).
    void StartSysInfo() { actions_.StartSysInfo(); }

    // Asks the desktop to open a new mail to the author. Whether it could is not looked at.
    void MailToMe();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    void PlaceWindow();

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void lblDescription_Click();
    void lblDisclaimer_Click();

    AboutActions actions_;

    QLabel* picIcon = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    ClickLabel* lblDescription = nullptr;
    QLabel* lblTitle = nullptr;
    ClickLabel* lblDisclaimer = nullptr;
};

}  // namespace tessarin
