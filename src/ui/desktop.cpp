#include "ui/desktop.h"

#include "story/story.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"
#include "ui/form.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <algorithm>

#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

namespace {

using Keyboard = Desktop::Keyboard;

// A window counts as open until it is closed; a closed one is hidden and
// only waits to be destroyed. (A window is kept as a QWidget: while it is
// being destroyed it is no Form any more.)
Form *openWindow(const QPointer<QWidget> &window)
{
    return window && !window->isHidden() ? qobject_cast<Form *>(window.data()) : nullptr;
}

void closeWindow(QPointer<QWidget> &window)
{
    if (Form *open = openWindow(window))
        open->close();
    window.clear();
}

// Shows a window, or brings an open one to the front. The dialog and the
// game window take the keyboard: after "начать" or "новая" pressed from the
// keyboard the player goes on typing in the window that came up, whatever the
// window manager would pick (or without one). The help and author windows
// come up beside the game without it when they are clicked (the player goes
// on typing in the game's input box), and with it when they are opened from
// the keyboard, so that a screen reader goes there and reads them.
// Whether the compositor places every top-level window itself (Wayland):
// there help and author are panels fixed beside the game instead.
bool compositorPlacesWindows()
{
    return QGuiApplication::platformName().startsWith(u"wayland"_s);
}

// The window types of help and author where the compositor places windows:
// a panel that never takes the keyboard, or, opened from the keyboard, one
// that has it until it closes (and closes when the player clicks elsewhere).
Qt::WindowFlags besideTheGame(Keyboard keyboard)
{
    return (keyboard == Keyboard::Take ? Qt::Popup : Qt::ToolTip) | Qt::FramelessWindowHint;
}

// Whether a window's clicks and drags may take the keyboard: not for a
// window that came up without it, so that the player goes on typing in
// the game (the window manager may still raise it).
void letClicksTakeTheKeyboard(QWidget *window, bool take)
{
    if (QWindow *handle = window->windowHandle())
        handle->setFlag(Qt::WindowDoesNotAcceptFocus, !take);   // at once, without showing it anew
    else
        window->setWindowFlag(Qt::WindowDoesNotAcceptFocus, !take);
}

void bringUp(Form *window, Keyboard keyboard)
{
    const bool take = keyboard == Keyboard::Take;
    if (window->isVisible()) {
        if (take)
            letClicksTakeTheKeyboard(window, true);
        window->raise();
    } else {
        window->setAttribute(Qt::WA_ShowWithoutActivating, !take);
        letClicksTakeTheKeyboard(window, take);
        window->show();
    }
    if (take)
        window->activateWindow();
}

// The dialog and the game window, which take turns, open in the middle of
// the screen.
void centre(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

// A moment after the window it watches has been painted, installs Qt's
// translations and the program's icon, and goes: neither is seen before the
// player first looks at the window, so neither holds up what is.
class AfterFirstPaint : public QObject {
public:
    explicit AfterFirstPaint(QCoreApplication *app) : QObject(app) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            constexpr int kMomentMs = 100;
            QTimer::singleShot(kMomentMs, this, [this] {
                installQtTranslations(*QCoreApplication::instance());
                QApplication::setWindowIcon(programIcon());
                deleteLater();
            });
        }
        return false;
    }
};

} // namespace

QPoint placeBeside(const QRect &game, const QSize &size, const QRect &screen, const QList<QRect> &taken)
{
    const auto box = [](const QRect &r) { return Box{r.x(), r.y(), r.width(), r.height()}; };
    std::vector<Box> others;
    for (const QRect &other : taken)
        others.push_back(box(other));
    const Box place = Program::placeBeside(box(game), size.width(), size.height(), box(screen), others, windows::kGapPixels);
    return QPoint(place.x, place.y);
}

Desktop::Desktop(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_program(settings, story, std::move(launchMusic))
{
}

Desktop::~Desktop()
{
    for (QPointer<QWidget> &window : m_windows)
        delete window.data();
}

Form *Desktop::shown(Window window) const
{
    return openWindow(m_windows[std::size_t(window)]);
}

frmTargame *Desktop::gameWindow() const
{
    return static_cast<frmTargame *>(shown(Window::Game));
}

frmNew *Desktop::newGameDialog() const
{
    return static_cast<frmNew *>(shown(Window::Dialog));
}

frmHelp *Desktop::helpWindow() const
{
    return static_cast<frmHelp *>(shown(Window::Help));
}

frmAuthor *Desktop::authorWindow() const
{
    return static_cast<frmAuthor *>(shown(Window::Author));
}

void Desktop::start()
{
    m_program.start(nowMillis());
    sync();
}

void Desktop::showNewGameDialog()
{
    press(Window::Game, Control::New, nowMillis(), false);
}

void Desktop::startGame()
{
    press(Window::Dialog, Control::Start, nowMillis(), false);
}

void Desktop::showHelp()
{
    press(Window::Game, Control::Help, nowMillis(), false);
}

void Desktop::showAuthor()
{
    press(Window::Game, Control::Author, nowMillis(), false);
}

void Desktop::press(Window window, Control control, qint64 at, bool byMouse)
{
    m_program.setDoubleClickInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (m_program.press(window, control, at, byMouse ? Program::By::Mouse : Program::By::Keyboard))
        sync();
}

Form *Desktop::make(Window window)
{
    Form *made = nullptr;
    switch (window) {
    case Window::Dialog:
        made = new frmNew(m_program);
        centre(made);
        break;
    case Window::Game:
        made = new frmTargame(m_program);
        centre(made);
        break;
    case Window::Help:
        made = new frmHelp;
        openBeside(made, window);
        break;
    case Window::Author:
        made = new frmAuthor;
        openBeside(made, window);
        break;
    }
    connect(made, &Form::pressed, this, [this, window](Control control, qint64 at, bool byMouse) {
        press(window, control, at, byMouse);
    });
    connect(made, &Form::appeared, this, [this, window](qint64 at) { m_program.shown(window, at); });
    made->installEventFilter(this);
    if (window == Window::Help || window == Window::Author) {
        for (QWidget *part : made->findChildren<QWidget *>())
            part->installEventFilter(this);   // for the presses that land on it
    }
    return made;
}

void Desktop::sync()
{
    if (m_program.finished()) {
        endProgram();
        return;
    }
    // The windows that come up first, then those that go: the keyboard
    // passes straight from one to the other.
    for (const Window window : {Window::Dialog, Window::Game, Window::Help, Window::Author}) {
        if (!m_program.isOpen(window))
            continue;
        const bool fresh = !shown(window);
        if (fresh)
            slot(window) = make(window);
        auto *form = qobject_cast<Form *>(slot(window).data());
        const WindowView *viewed = m_program.view().find(window);
        if (fresh || m_raised[std::size_t(window)] != viewed->raises) {
            m_raised[std::size_t(window)] = viewed->raises;
            bringUp(form, keyboardFor(window));
            if (!fresh)
                m_program.shown(window, nowMillis());
        }
    }
    for (const Window window : {Window::Dialog, Window::Game}) {
        if (!m_program.isOpen(window))
            closeWindow(slot(window));
    }
    anchorBeside();
    for (const Window window : {Window::Help, Window::Author}) {
        if (!m_program.isOpen(window))
            closeWindow(slot(window));
    }
    if (frmNew *dialog = newGameDialog())
        dialog->refresh();
}

Desktop::Keyboard Desktop::keyboardFor(Window window)
{
    const WindowView *viewed = m_program.view().find(window);
    return viewed && viewed->keyboard ? Keyboard::Take : Keyboard::Leave;
}

Form *Desktop::mainWindow() const
{
    if (Form *game = shown(Window::Game))
        return game;
    return shown(Window::Dialog);
}

void Desktop::openBeside(Form *window, Window which)
{
    Form *main = mainWindow();
    if (!main)
        return;
    QWidget *other = shown(which == Window::Help ? Window::Author : Window::Help);
    const QScreen *screen = main->screen();
    QRect screenRect = screen ? screen->availableGeometry() : QRect();
    if (compositorPlacesWindows()) {
        // A panel placed beside the window it belongs to, in that window's
        // own coordinates; where the screen's edge is, only the compositor
        // knows.
        window->setWindowFlags(besideTheGame(keyboardFor(which)));
        window->winId();
        window->windowHandle()->setTransientParent(main->windowHandle());
        screenRect = QRect();
    }
    QList<QRect> taken;
    if (other && !other->isHidden() && other != window)
        taken << other->frameGeometry();
    window->move(placeBeside(main->frameGeometry(), window->frameGeometry().size(), screenRect, taken));
}

void Desktop::anchorBeside()
{
    // Where the compositor places windows, help and author are panels of the
    // dialog or the game: when the one they belong to goes, or a panel must
    // now take the keyboard, they are shown anew beside the one that stays.
    if (!compositorPlacesWindows())
        return;
    Form *main = mainWindow();
    for (const Window which : {Window::Help, Window::Author}) {
        Form *panel = shown(which);
        if (!panel || !main)
            continue;
        const Qt::WindowFlags wanted =
            besideTheGame(keyboardFor(which));
        if (panel->windowHandle()->transientParent() == main->windowHandle() && panel->windowFlags() == wanted)
            continue;
        m_reshowing = true;
        panel->hide();
        openBeside(panel, which);
        panel->show();
        m_reshowing = false;
    }
}

bool Desktop::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate && (watched == slot(Window::Help) || watched == slot(Window::Author))) {
        // Once the player has left help or author, a click there leaves the
        // keyboard where it is.
        letClicksTakeTheKeyboard(static_cast<QWidget *>(watched), false);
    }
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        // Without a window manager a window a click lands on comes up front.
        QWidget *window = static_cast<QWidget *>(watched)->window();
        if (window == slot(Window::Help) || window == slot(Window::Author))
            window->raise();
    }
    if (event->type() == QEvent::Hide && !m_reshowing && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->isWindow()) {
        // A window closed from outside the program's buttons (the window
        // manager) is closed in the program too.
        for (const Window window : {Window::Dialog, Window::Game, Window::Help, Window::Author}) {
            if (slot(window) == watched && m_program.isOpen(window))
                m_program.close(window);
        }
        if (watched == slot(Window::Help) || watched == slot(Window::Author))
            giveTheGameTheKeyboard(static_cast<QWidget *>(watched));
    }
    return QObject::eventFilter(watched, event);
}

void Desktop::giveTheGameTheKeyboard(const QWidget *closing)
{
    // Only when the closing window had the keyboard (the player clicked into
    // it, or came to it from the keyboard): otherwise it stays where it is.
    frmTargame *game = gameWindow();
    const QWidget *active = QApplication::activeWindow();
    if (game && (!active || active == closing)) {
        game->activateWindow();
        game->focusInputBox();   // where the player types, not the button that opened the window
    }
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
    // The launcher's name, so that the desktop shows the windows under it.
    QGuiApplication::setDesktopFileName(u"org.example.tarnvale"_s);
    Desktop desktop(settings, tarnvaleStory(), std::move(launchMusic));
    desktop.start();
    // What the first window does not need for its first paint waits until
    // it has been painted: Qt's own translations (the input boxes' context
    // menu) and the program's icon (the window manager's frame and task
    // bar; decoding it costs millions of instructions).
    if (QWidget *first = desktop.newGameDialog())
        first->installEventFilter(new AfterFirstPaint(&app));
    return QApplication::exec();
}

} // namespace tarnvale::ui
