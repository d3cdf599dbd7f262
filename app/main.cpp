// Tessarin: five-in-a-row against the computer.

#include <QApplication>

#include "platform/clock_random.h"
#include "platform/ini_settings_store.h"
#include "platform/qt_message_box.h"
#include "ui/board_window/board_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setOrganizationName(QStringLiteral("Tessarin"));
    QApplication::setApplicationVersion(QStringLiteral(TESSARIN_VERSION));

    tessarin::QtMessageBox messages;
    tessarin::ClockRandom random;
    tessarin::IniSettingsStore settings;
    tessarin::Form1 window({messages, random, settings, nullptr});
    messages.SetParent(&window);
    window.show();
    return QApplication::exec();
}
