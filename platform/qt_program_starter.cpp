// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_program_starter.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>

namespace tessarin {

bool QtProgramStarter::Start(const std::string& path) {
    if (path.empty()) return false;
    // The path goes to exec as one argument: spaces or shell characters in it are just part of
    // the file name.
    return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(path)),
                                   QStringList{});
}

}  // namespace tessarin
