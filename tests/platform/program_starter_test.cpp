// SPDX-License-Identifier: GPL-3.0-or-later
// The real program starter: a detached process, no shell, failure reported.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "platform/qt_program_starter.h"

namespace tessarin::testing {
namespace {

class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A shell script that leaves a mark when it runs.
    std::string Script(const std::string& name, bool executable) {
        const QString path = dir.filePath(QString::fromStdString(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n");
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable) permissions |= QFile::ExeOwner;
        file.setPermissions(permissions);
        return path.toStdString();
    }
    bool Ran() {
        const QString mark = dir.filePath(QStringLiteral("ran"));
        return QTest::qWaitFor([&] { return QFileInfo::exists(mark); }, 5000);
    }

    QTemporaryDir dir;
    QtProgramStarter starter;
};

TEST_F(ProgramStart, RefusalsAreReported) {
    EXPECT_FALSE(starter.Start(""));
    EXPECT_FALSE(starter.Start("/nonexistent/viewer"));
    EXPECT_FALSE(starter.Start("/"));                      // a directory
    EXPECT_FALSE(starter.Start(Script("viewer", false)));  // not executable
}

// Spaces in the name are part of one file name, and the call returns at once.
TEST_F(ProgramStart, StartsAnExecutableWhateverItsName) {
    for (const char* name : {"viewer", "system viewer"}) {
        EXPECT_TRUE(starter.Start(Script(name, true))) << name;
        EXPECT_TRUE(Ran()) << name;
        QFile::remove(dir.filePath(QStringLiteral("ran")));
    }
}

TEST_F(ProgramStart, NoShellInterpretsThePath) {
    const std::string viewer = Script("viewer", true);
    // Through a shell this would run the script; as a file name it names nothing.
    EXPECT_FALSE(starter.Start("/bin/true;" + viewer));
    EXPECT_FALSE(starter.Start("$(" + viewer + ")"));
    QTest::qWait(200);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("ran"))));
}

}  // namespace
}  // namespace tessarin::testing
