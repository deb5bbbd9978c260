#include "ui/desktop.h"

#include "story/story.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

#include <utility>

namespace tarnvale::ui {

namespace {

// A window counts as open until it is closed; a closed one is hidden and
// only waits to be destroyed.
template <typename Window>
Window *openWindow(const QPointer<Window> &window)
{
    return window && !window->isHidden() ? window.data() : nullptr;
}

template <typename Window>
void closeWindow(QPointer<Window> &window)
{
    if (Window *open = openWindow(window))
        open->close();
    window.clear();
}

// Shows a window, or brings an open one to the front, and gives it the
// keyboard: after "начать" or "помощь" pressed from the keyboard the player
// goes on typing in the window that came up, whatever the window manager
// would pick (or without one).
void bringUp(QWidget *window)
{
    if (window->isVisible())
        window->raise();
    else
        window->show();
    window->activateWindow();
}

// The dialog and the game window, which take turns, open in the middle of
// the screen.
void centre(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

} // namespace

Desktop::Desktop(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_settings(settings), m_story(story), m_launchMusic(std::move(launchMusic))
{
}

Desktop::~Desktop()
{
    delete m_game.data();
    delete m_dialog.data();
    delete m_help.data();
    delete m_author.data();
}

frmTargame *Desktop::gameWindow() const
{
    return openWindow(m_game);
}

frmNew *Desktop::newGameDialog() const
{
    return openWindow(m_dialog);
}

frmHelp *Desktop::helpWindow() const
{
    return openWindow(m_help);
}

frmAuthor *Desktop::authorWindow() const
{
    return openWindow(m_author);
}

void Desktop::start()
{
    showNewGameDialog();
}

void Desktop::showNewGameDialog()
{
    if (!newGameDialog()) {
        m_dialog = new frmNew(m_settings);
        centre(m_dialog);
        connect(m_dialog, &frmNew::startClicked, this, &Desktop::startGame);
    }
    bringUp(m_dialog);
    closeWindow(m_game);
}

void Desktop::startGame()
{
    if (!gameWindow()) {
        // The new window's game starts at once, with the settings as the
        // dialog left them.
        m_game = new frmTargame(m_settings, m_story, m_launchMusic);
        centre(m_game);
        connect(m_game, &frmTargame::newGameClicked, this, &Desktop::showNewGameDialog);
        connect(m_game, &frmTargame::helpClicked, this, &Desktop::showHelp);
        connect(m_game, &frmTargame::authorClicked, this, &Desktop::showAuthor);
    }
    bringUp(m_game);
    closeWindow(m_dialog);
}

void Desktop::showHelp()
{
    if (!helpWindow())
        m_help = new frmHelp;
    bringUp(m_help);
}

void Desktop::showAuthor()
{
    if (!authorWindow())
        m_author = new frmAuthor;
    bringUp(m_author);
}

int runDesktop(int &argc, char **argv, GameSettings &settings, std::function<void()> launchMusic)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnvale"));
    // The launcher's name and the installed icon, so that the desktop shows
    // the windows under the program's own icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tarnvale"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.example.tarnvale")));
    Desktop desktop(settings, tarnvaleStory(), std::move(launchMusic));
    desktop.start();
    return QApplication::exec();
}

} // namespace tarnvale::ui
