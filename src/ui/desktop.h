#pragma once

#include "engine/gamestate.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>

class QCoreApplication;

namespace tarnvale {
struct Story;
}

namespace tarnvale::ui {

class Form;
class frmAuthor;
class frmHelp;
class frmNew;
class frmTargame;

// Where a help or author window of the given size opens beside the game
// window: to its right, else to its left, else where it covers least of the
// game, inside the screen, and covering as little as possible of the windows
// already open beside it (taken).
QPoint placeBeside(const QRect &game, const QSize &size, const QRect &screen, const QList<QRect> &taken);

// The windows' icon: the icon theme's, else the one built into the program
// in these sizes.
inline constexpr int kBuiltInIconSizes[] = {16, 32, 48, 64};
QIcon programIcon();

// Installs Qt's own translations for the user's locale, when Qt has them.
bool installQtTranslations(QCoreApplication &app);

// Runs the windows until the program ends; returns the exit status.
int runDesktop(int &argc, char **argv, GameSettings &settings, std::function<void()> launchMusic,
               const std::function<void()> &windowsUp = {});

// The program's four windows and how they replace one another. Every window
// is destroyed when it closes; the desktop remembers only the open ones.
//
// The new-game dialog and the game window take turns: "начать" shows a fresh
// game window and closes the dialog, "новая" shows the dialog and closes the
// game window, discarding its game. The help and author windows are made on
// first use, brought to the front by a further click, and live on their own
// until they are closed.
class Desktop : public QObject {
    Q_OBJECT
public:
    Desktop(GameSettings &settings, const Story &story, std::function<void()> launchMusic);
    ~Desktop() override;

    // Opens the first window: the new-game dialog.
    void start();

    void showNewGameDialog();
    void startGame();
    void showHelp();
    void showAuthor();

    // The windows that are open, or null.
    frmTargame *gameWindow() const;
    frmNew *newGameDialog() const;
    frmHelp *helpWindow() const;
    frmAuthor *authorWindow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openBeside(Form *window, QWidget *other);
    void giveTheGameTheKeyboard(const QWidget *closing);

    GameSettings &m_settings;
    const Story &m_story;
    std::function<void()> m_launchMusic;
    QPointer<frmTargame> m_game;
    QPointer<frmNew> m_dialog;
    QPointer<frmHelp> m_help;
    QPointer<frmAuthor> m_author;
};

} // namespace tarnvale::ui
