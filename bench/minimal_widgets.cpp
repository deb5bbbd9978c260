// The floor for a window's start-up: a Qt Widgets program that shows one
// label in a window of the game window's size (the start-up harness ends it
// after its first paint).
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("tarnvale"));
    window.resize(521, 377);
    window.show();
    return QApplication::exec();
}
