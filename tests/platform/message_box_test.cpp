// SPDX-License-Identifier: GPL-3.0-or-later
// The real message box: text only, one OK button without any icon, the application's caption,
// and its text given to screen readers (a remark box and the score box alike).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTimer>

#include "platform/qt_message_box.h"

namespace tessarin {
namespace {

// Styles of some desktops put a stock icon on dialog buttons (X11 does by default); this one
// always does, so the test sees whether the box takes it off again.
class ButtonsWithIcons : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

TEST(QtMessageBox, ShowsTextAloneWithOneIconlessOkButton) {
    QApplication::setStyle(new ButtonsWithIcons);
    struct Case {
        std::string text;
        QString shown;
        Qt::Key closeWith;
    };
    const Case cases[] = {
        {"萬歲！", QStringLiteral("萬歲！"), Qt::Key_Escape},
        {"慢慢加油吧！\r\n1:4", QStringLiteral("慢慢加油吧！\n1:4"), Qt::Key_Return},
        {"<b>not markup</b>", QStringLiteral("<b>not markup</b>"), Qt::Key_Enter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        bool found = false;
        // The box is modal: inspect and close it from inside its own event loop.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            found = true;
            EXPECT_EQ(box->windowTitle(), "Tessarin");
            EXPECT_EQ(box->text(), c.shown);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->buttons().size(), 1);
            EXPECT_TRUE(box->buttons().value(0) && box->buttons().value(0)->icon().isNull());
            EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
            // The text a screen reader is given.
            QString spoken;
            if (QAccessibleInterface* read = QAccessible::queryAccessibleInterface(box)) {
                for (int i = 0; i < read->childCount(); ++i) {
                    const QAccessibleInterface* child = read->child(i);
                    if (child && child->role() == QAccessible::StaticText)
                        spoken += child->text(QAccessible::Name);
                }
            }
            EXPECT_EQ(spoken, c.shown);
            QKeyEvent press(QEvent::KeyPress, c.closeWith, Qt::NoModifier);
            QApplication::sendEvent(box, &press);
        });
        QtMessageBox().ShowMessage(c.text);
        EXPECT_TRUE(found);
    }
}

}  // namespace
}  // namespace tessarin
