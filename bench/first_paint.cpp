// The game window as the first and only window of a program, started the way
// the program starts its windows (the start-up harness ends it after its
// first paint). In the program itself the new-game dialog comes first and
// "начать" shows the game window.
#include "engine/gamestate.h"
#include "story/story.h"
#include "ui/desktop.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnvale"));
    tarnvale::GameSettings settings;
    tarnvale::ui::Desktop desktop(settings, tarnvale::tarnvaleStory(), {});
    desktop.start();       // the dialog, closed again at once by
    desktop.startGame();   // "начать", before anything is painted
    return QApplication::exec();
}
