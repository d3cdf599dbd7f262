// SPDX-License-Identifier: GPL-3.0-or-later
// The cheapest Qt 6 Widgets window there is, at the game's starting client size: the baseline
// that the game's launch time and memory are compared with.
//
//   bare_window           a plain widget, which never draws text
//   bare_window --menu    a main window with the game's four menu captions, nothing else: the
//                         least a window with a Chinese menu bar costs (the font system starts
//                         before the window can be sized)

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>
#include <cstring>

#include "resources/texts.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const bool withMenu = argc > 1 && std::strcmp(argv[1], "--menu") == 0;
    QMainWindow menuWindow;
    QWidget plainWindow;
    QWidget* window = &plainWindow;
    if (withMenu) {
        for (const char* caption : {tessarin::texts::MenuNewGame, tessarin::texts::MenuHint,
                                    tessarin::texts::MenuScore, tessarin::texts::MenuAbout}) {
            menuWindow.menuBar()->addAction(QString::fromUtf8(caption));
        }
        menuWindow.setCentralWidget(new QWidget);
        window = &menuWindow;
    }
    window->setWindowTitle(QStringLiteral("bare window"));
    window->resize(570, 426);
    window->show();
    return QApplication::exec();
}
