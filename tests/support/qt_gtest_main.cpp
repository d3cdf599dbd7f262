// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the GoogleTest binaries that need a QApplication.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler standardHandler = nullptr;

// The offscreen platform says so every time a window asks for something it cannot do (raise
// itself, hint its size); in a test log that drowns what matters.
void QuietMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (standardHandler) {
        standardHandler(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // CMake's test discovery runs this binary at build time without the test environment;
    // without a display Qt would abort, so default to the offscreen platform.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    standardHandler = qInstallMessageHandler(QuietMessageHandler);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
