// SPDX-License-Identifier: GPL-3.0-or-later
// The About command from the board window: one modeless dialog at most, owned by the board.

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/about/fake_registry.h"
#include "tests/about/test_services.h"
#include "tests/support/board_window_driver.h"
#include "ui/about/about_dialog.h"

namespace tessarin {
namespace {

class AboutCommandTest : public ::testing::Test {
protected:
    testing::FakeRegistry registry;
    testing::RecordingStarter starter;
    int built = 0;
    testing::Window w{testing::Shown::Yes, {}, [this](QWidget* owner) {
                          ++built;
                          return new frmAbout(w.messages, registry, starter, owner);
                      }};
};

TEST_F(AboutCommandTest, ChoosingAboutKeepsOneModelessDialogOwnedByTheBoardUntilItIsClosed) {
    w.Choose("關於");
    QPointer<QWidget> first = w.form.AboutDialog();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->parentWidget(), &w.form);
    EXPECT_EQ(first->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    w.Choose("關於");
    EXPECT_EQ(w.form.AboutDialog(), first);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(w.form.findChildren<frmAbout*>().size(), 1);

    // The board still plays while the dialog is open.
    w.random.Always(0.0f);
    w.Click(10, 10);
    EXPECT_EQ(w.game().Board(10, 10), HumanSide);

    // A closed dialog is built afresh next time.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    w.Choose("關於");
    ASSERT_NE(w.form.AboutDialog(), nullptr);
    EXPECT_TRUE(w.form.AboutDialog()->isVisible());
    EXPECT_EQ(built, 2);
}

TEST_F(AboutCommandTest, ClosingTheBoardClosesTheDialogAndSavesTheTally) {
    w.Choose("關於");
    QPointer<QWidget> about = w.form.AboutDialog();
    w.game().PersonGrade = 2;
    w.game().ComputerGrade = 9;
    EXPECT_TRUE(w.form.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull() || !about->isVisible());
    EXPECT_EQ(w.settings.Get("ComputerGrade"), "9");
    EXPECT_EQ(w.settings.Get("PersonGrade"), "2");
}

}  // namespace
}  // namespace tessarin
