#include "ui/desktop.h"

#include "story/story.h"
#include "ui/frmtargame.h"

#include <QApplication>

#include <utility>

namespace tarnvale::ui {

Desktop::Desktop(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_settings(settings), m_story(story), m_launchMusic(std::move(launchMusic))
{
}

Desktop::~Desktop()
{
    delete m_game.data();
}

frmTargame *Desktop::gameWindow() const
{
    return m_game;
}

void Desktop::start()
{
    startGame();
}

void Desktop::startGame()
{
    auto *game = new frmTargame(m_settings, m_story, m_launchMusic);
    m_game = game;
    game->show();
}

int runDesktop(int &argc, char **argv, GameSettings &settings, std::function<void()> launchMusic)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnvale"));
    Desktop desktop(settings, tarnvaleStory(), std::move(launchMusic));
    desktop.start();
    return QApplication::exec();
}

} // namespace tarnvale::ui
