// The cheapest Qt 6 Widgets window there is, at the game's starting client size: the baseline
// that the game's launch time and memory are compared with.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(570, 426);
    window.show();
    return QApplication::exec();
}
