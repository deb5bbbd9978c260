#pragma once

#include "engine/gamestate.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace tarnvale {
struct Story;
}

namespace tarnvale::ui {

class frmTargame;

// Runs the windows until the program ends; returns the exit status.
int runDesktop(int &argc, char **argv, GameSettings &settings, std::function<void()> launchMusic);

// The program's windows and how they replace one another. Every window is
// destroyed when it closes; the desktop only remembers the ones still open.
class Desktop : public QObject {
    Q_OBJECT
public:
    Desktop(GameSettings &settings, const Story &story, std::function<void()> launchMusic);
    ~Desktop() override;

    // Opens the first window.
    void start();
    // Shows a fresh game window: a new game with the current settings.
    void startGame();

    frmTargame *gameWindow() const;

private:
    GameSettings &m_settings;
    const Story &m_story;
    std::function<void()> m_launchMusic;
    QPointer<frmTargame> m_game;
};

} // namespace tarnvale::ui
