// The About command from the board window: one modeless dialog at most, owned by the board.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>

#include "tests/about/fake_registry.h"
#include "tests/about/test_services.h"
#include "tests/board_window/memory_settings.h"
#include "tests/support/recorders.h"
#include "ui/about/about_dialog.h"
#include "ui/board_window/board_canvas.h"
#include "ui/board_window/board_window.h"

namespace tessarin {
namespace {

class AboutCommandTest : public ::testing::Test {
protected:
    AboutCommandTest()
        : form({messages, random, settings, [this](QWidget* owner) {
                    ++built;
                    return new frmAbout(messages, registry, starter, owner);
                }}) {
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void ChooseAbout() { form.findChild<QAction*>(QStringLiteral("關於"))->trigger(); }

    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
    testing::MemorySettings settings;
    testing::FakeRegistry registry;
    testing::RecordingStarter starter;
    int built = 0;
    Form1 form;
};

TEST_F(AboutCommandTest, ChoosingAboutTwiceKeepsOneModelessDialogOwnedByTheBoard) {
    ChooseAbout();
    QWidget* first = form.AboutDialog();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->parentWidget(), &form);
    EXPECT_EQ(first->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    ChooseAbout();
    EXPECT_EQ(form.AboutDialog(), first);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(form.findChildren<frmAbout*>().size(), 1);

    // The board still plays while the dialog is open.
    random.Always(0.0f);
    const QPointF centre(form.Canvas()->Scale().ToPixelsX(3224),
                         form.Canvas()->Scale().ToPixelsY(3224));
    QTest::mouseClick(form.Canvas(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    EXPECT_EQ(form.Game().Board(10, 10), HumanSide);
}

TEST_F(AboutCommandTest, AClosedDialogIsBuiltAfreshNextTime) {
    ChooseAbout();
    QPointer<QWidget> first = form.AboutDialog();
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    ChooseAbout();
    ASSERT_NE(form.AboutDialog(), nullptr);
    EXPECT_TRUE(form.AboutDialog()->isVisible());
    EXPECT_EQ(built, 2);
}

TEST_F(AboutCommandTest, ClosingTheBoardClosesTheDialogAndSavesTheTally) {
    ChooseAbout();
    QPointer<QWidget> about = form.AboutDialog();
    form.Game().ComputerGrade = 9;
    EXPECT_TRUE(form.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull() || !about->isVisible());
    EXPECT_EQ(settings.Get("ComputerGrade"), "9");
    EXPECT_EQ(settings.Get("PersonGrade"), "0");
}

}  // namespace
}  // namespace tessarin
