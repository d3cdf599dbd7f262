// SPDX-License-Identifier: GPL-3.0-or-later
// Tessarin: five-in-a-row against the computer.

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <cstdio>
#include <optional>

#include "platform/clock_random.h"
#include "platform/ini_settings_store.h"
#include "platform/linux_registry.h"
#include "platform/qt_message_box.h"
#include "platform/qt_program_starter.h"
#include "ui/about/about_dialog.h"
#include "ui/board_window/board_window.h"

namespace {

// Answers --help and --version on the terminal, before any window system is touched (so they
// work without a display). Returns the exit code when the program should stop there. Other
// options are left alone: QApplication takes its own (-platform, -style, -reverse, ...)
// afterwards.
std::optional<int> AnswerCommandLine(int argc, char* argv[]) {
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Five-in-a-row against the computer."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Qt's own options are single-dash words: read as bundles of letters, -reverse would be
    // -r -e -v ... and ask for the version, -stylesheet for the help.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("Tessarin"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tessarin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSARIN_VERSION));
    // Ties the window to its launcher entry, whose name and icon the desktop shows for it; under
    // Wayland it is the window's app id, which would otherwise be the program's file name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessarin.Tessarin"));
    if (const auto exitCode = AnswerCommandLine(argc, argv)) return *exitCode;

    QApplication app(argc, argv);
    // Everything the game says is Traditional Chinese, whatever the desktop's language: a screen
    // reader that asks the application what it speaks is told so.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
    tessarin::QtMessageBox messages;
    tessarin::ClockRandom random;
    tessarin::IniSettingsStore settings;
    tessarin::LinuxRegistry registry;
    tessarin::QtProgramStarter starter;
    // The About dialog is built on first use: nothing of it is needed for the first paint.
    tessarin::Form1 window({messages, random, settings, [&](QWidget* owner) {
                                return new tessarin::frmAbout(messages, registry, starter, owner);
                            }});
    messages.SetParent(&window);
    window.show();
    return QApplication::exec();
}
