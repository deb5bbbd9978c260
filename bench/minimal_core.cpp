// The floor for the terminal game's start-up: a QtCore program that prints a
// line and reads its standard input to the end, as `tarnvale --text` does on
// empty input.
#include <QString>

#include <cstdio>

int main()
{
    const QString screen = QStringLiteral("Ты стоишь на улице.\n[ 60 руб. | 0 очков | 0 ходов ]\n\n");
    std::fputs(screen.toUtf8().constData(), stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
