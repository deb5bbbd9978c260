#include "ui/desktop.h"

#include "story/story.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

#include <algorithm>

#include <utility>

using namespace Qt::Literals::StringLiterals;

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

// Shows a window, or brings an open one to the front. The dialog and the
// game window take the keyboard: after "начать" or "новая" pressed from the
// keyboard the player goes on typing in the window that came up, whatever the
// window manager would pick (or without one). The help and author windows
// come up beside the game without it: the player goes on typing in the game's
// input box.
enum class Keyboard { Take, Leave };

void bringUp(Form *window, Keyboard keyboard)
{
    if (window->isVisible()) {
        window->raise();
        window->holdPresses();
    } else {
        window->setAttribute(Qt::WA_ShowWithoutActivating, keyboard == Keyboard::Leave);
        window->show();
    }
    if (keyboard == Keyboard::Take)
        window->activateWindow();
}

// The dialog and the game window, which take turns, open in the middle of
// the screen.
void centre(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

qint64 area(const QRect &rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

} // namespace

QPoint placeBeside(const QRect &game, const QSize &size, const QRect &screen, const QList<QRect> &taken)
{
    constexpr int kGap = 8;
    // Where a window manager would put a small window that belongs to the
    // game: to its right, else to its left, at the game's top or below the
    // windows already there; else above or below it.
    QList<QPoint> places;
    for (const int x : {game.right() + 1 + kGap, game.left() - kGap - size.width()}) {
        places << QPoint(x, game.top());
        for (const QRect &other : taken)
            places << QPoint(x, other.bottom() + 1 + kGap);
    }
    places << QPoint(game.left(), game.bottom() + 1 + kGap) << QPoint(game.left(), game.top() - kGap - size.height());

    // Each place kept on the screen; the first that covers least of the game,
    // then least of the other windows, wins.
    QPoint best;
    qint64 bestGame = -1;
    qint64 bestOthers = 0;
    for (QPoint place : std::as_const(places)) {
        if (!screen.isEmpty()) {
            place.setX(std::clamp(place.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())));
            place.setY(std::clamp(place.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())));
        }
        const QRect rect(place, size);
        const qint64 onGame = area(rect & game);
        qint64 onOthers = 0;
        for (const QRect &other : taken)
            onOthers += area(rect & other);
        if (bestGame < 0 || onGame < bestGame || (onGame == bestGame && onOthers < bestOthers)) {
            best = place;
            bestGame = onGame;
            bestOthers = onOthers;
        }
    }
    return best;
}

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
    bringUp(m_dialog, Keyboard::Take);
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
    bringUp(m_game, Keyboard::Take);
    closeWindow(m_dialog);
}

void Desktop::showHelp()
{
    if (!helpWindow()) {
        m_help = new frmHelp;
        openBeside(m_help, m_author);
    }
    bringUp(m_help, Keyboard::Leave);
}

void Desktop::showAuthor()
{
    if (!authorWindow()) {
        m_author = new frmAuthor;
        openBeside(m_author, m_help);
    }
    bringUp(m_author, Keyboard::Leave);
}

void Desktop::openBeside(Form *window, QWidget *other)
{
    if (const frmTargame *game = gameWindow()) {
        const QScreen *screen = game->screen();
        QList<QRect> taken;
        if (other && !other->isHidden())
            taken << other->frameGeometry();
        window->move(placeBeside(game->frameGeometry(), window->frameGeometry().size(),
                                 screen ? screen->availableGeometry() : QRect(), taken));
    }
    // Closing it from its own window leaves the keyboard with the game.
    window->installEventFilter(this);
}

bool Desktop::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
        giveTheGameTheKeyboard(static_cast<QWidget *>(watched));
    return QObject::eventFilter(watched, event);
}

void Desktop::giveTheGameTheKeyboard(const QWidget *closing)
{
    // Only when the closing window had the keyboard (the player clicked into
    // it, or came to it from the keyboard): otherwise it stays where it is.
    frmTargame *game = gameWindow();
    const QWidget *active = QApplication::activeWindow();
    if (game && (!active || active == closing))
        game->activateWindow();
}

QIcon programIcon()
{
    const QString name = u"org.example.tarnvale"_s;
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    // Otherwise the same pictures as carried inside the program: the sizes a
    // window's frame and a task bar show (each one is decoded as it is added,
    // and the large ones would cost the first paint for nothing).
    QIcon builtIn;
    for (const int size : kBuiltInIconSizes)
        builtIn.addFile(u":/icons/%1x%1/apps/org.example.tarnvale.png"_s.arg(size), QSize(size, size));
    return builtIn;
}

bool installQtTranslations(QCoreApplication &app)
{
    // Qt's own texts (the text boxes' context menu, for one) in the user's
    // language, from the catalogues installed with Qt. The game's own texts
    // are Russian whatever the locale.
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(), u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runDesktop(int &argc, char **argv, GameSettings &settings, std::function<void()> launchMusic,
               const std::function<void()> &windowsUp)
{
    QApplication app(argc, argv);
    if (windowsUp)
        windowsUp();
    QApplication::setApplicationName(u"tarnvale"_s);
    installQtTranslations(app);
    // The launcher's name and the program's icon, so that the desktop shows
    // the windows under it.
    QGuiApplication::setDesktopFileName(u"org.example.tarnvale"_s);
    QApplication::setWindowIcon(programIcon());
    Desktop desktop(settings, tarnvaleStory(), std::move(launchMusic));
    desktop.start();
    return QApplication::exec();
}

} // namespace tarnvale::ui
