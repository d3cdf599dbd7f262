// SPDX-License-Identifier: GPL-3.0-or-later
// The real program starter: a detached process, no shell, failure reported.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <ostream>
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

struct RefusedCase {
    const char* label;
    std::string path;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.label; }

class ProgramStartRefused : public ProgramStart,
                            public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(ProgramStartRefused, ReportsFailure) { EXPECT_FALSE(starter.Start(GetParam().path)); }

INSTANTIATE_TEST_SUITE_P(About, ProgramStartRefused,
                         ::testing::Values(RefusedCase{"EmptyPath", ""},
                                           RefusedCase{"NoSuchFile", "/nonexistent/viewer"},
                                           RefusedCase{"ADirectory", "/"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProgramStart, StartsAnExecutableAndReturnsAtOnce) {
    EXPECT_TRUE(starter.Start(Script("viewer", true)));
    EXPECT_TRUE(Ran());
}

TEST_F(ProgramStart, PathWithSpacesIsOneFileName) {
    EXPECT_TRUE(starter.Start(Script("system viewer", true)));
    EXPECT_TRUE(Ran());
}

TEST_F(ProgramStart, NotExecutableIsAFailure) {
    EXPECT_FALSE(starter.Start(Script("viewer", false)));
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
