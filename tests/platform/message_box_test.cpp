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

struct Seen {
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    int buttons = 0;
    bool buttonIconNull = false;
    bool modal = false;
    QString spoken;  // the text a screen reader is given
};

Seen ShowAndInspect(const std::string& text, Qt::Key closeWith) {
    Seen seen;
    // The box is modal: inspect and close it from inside its own event loop.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = static_cast<int>(box->buttons().size());
        seen.buttonIconNull = box->buttons().value(0) && box->buttons().value(0)->icon().isNull();
        seen.modal = box->windowModality() == Qt::ApplicationModal;
        if (QAccessibleInterface* read = QAccessible::queryAccessibleInterface(box)) {
            for (int i = 0; i < read->childCount(); ++i) {
                const QAccessibleInterface* child = read->child(i);
                if (child && child->role() == QAccessible::StaticText)
                    seen.spoken += child->text(QAccessible::Name);
            }
        }
        QKeyEvent press(QEvent::KeyPress, closeWith, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
    });
    QtMessageBox().ShowMessage(text);
    return seen;
}

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
        const Seen seen = ShowAndInspect(c.text, c.closeWith);
        ASSERT_TRUE(seen.found) << c.text;
        EXPECT_EQ(seen.title, "Tessarin");
        EXPECT_EQ(seen.text, c.shown);
        EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
        EXPECT_EQ(seen.buttons, 1);
        EXPECT_TRUE(seen.buttonIconNull);
        EXPECT_TRUE(seen.modal);
        EXPECT_EQ(seen.spoken, c.shown);
    }
}

}  // namespace
}  // namespace tessarin
