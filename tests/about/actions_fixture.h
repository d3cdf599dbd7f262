#pragma once

// The About dialog's outside actions on their own, with every service recorded.

#include <gtest/gtest.h>

#include "tests/about/fake_registry.h"
#include "tests/about/test_services.h"
#include "tests/support/recorders.h"
#include "ui/about/about_actions.h"

namespace tessarin::testing {

class ActionsFixture : public ::testing::Test {
protected:
    RecordingMessageBox messages;
    FakeRegistry registry;
    RecordingStarter starter;
    AboutActions actions{messages, registry, starter};
};

}  // namespace tessarin::testing
