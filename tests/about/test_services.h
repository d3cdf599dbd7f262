// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stand-ins for the About dialog's outside actions: starting a program and opening a URL.

#include <QDesktopServices>
#include <QObject>
#include <QString>
#include <QUrl>
#include <set>
#include <string>
#include <vector>

#include "platform/program_starter.h"

namespace tessarin::testing {

// Records every start; only the paths declared startable start, as if only they were programs.
class RecordingStarter final : public ProgramStarter {
public:
    bool Start(const std::string& path) override {
        started.push_back(path);
        return startable.count(path) > 0;
    }
    std::set<std::string> startable;
    std::vector<std::string> started;  // every attempt, failed ones included
};

// Catches the URLs handed to QDesktopServices for one scheme, so nothing is really opened.
class UrlCatcher final : public QObject {
    Q_OBJECT

public:
    explicit UrlCatcher(const QString& scheme) : scheme_(scheme) {
        // QDesktopServices finds its handler by the name of an invokable method.
        QDesktopServices::setUrlHandler(scheme_, this, "Open");
    }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(scheme_); }

    Q_INVOKABLE void Open(const QUrl& url) { urls.push_back(url); }

    std::vector<QUrl> urls;

private:
    QString scheme_;
};

}  // namespace tessarin::testing
