// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A frmAbout owned by a stand-in board window, with every outside service recorded.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <memory>

#include "tests/about/fake_registry.h"
#include "tests/about/test_services.h"
#include "tests/support/recorders.h"
#include "ui/about/about_dialog.h"

namespace tessarin::testing {

class AboutFixture : public ::testing::Test {
protected:
    void SetUp() override {
        owner = std::make_unique<QWidget>();
        owner->resize(400, 400);
        dialog = new frmAbout(messages, registry, starter, owner.get());
    }

    // Shown and active, as after the board window's About command; keyboard shortcuts need it.
    void ShowActive() {
        owner->show();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.data()));
    }

    template <typename Widget>
    Widget* Control(const char* name) const {
        auto* widget = dialog->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // The dialog deletes itself once closed; runs that deletion.
    bool Destroyed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }

    RecordingMessageBox messages;
    FakeRegistry registry;
    RecordingStarter starter;
    UrlCatcher mail{QStringLiteral("mailto")};
    // Declared last so it goes first, taking the dialog with it while the services still live.
    std::unique_ptr<QWidget> owner;
    QPointer<frmAbout> dialog;
};

}  // namespace tessarin::testing
