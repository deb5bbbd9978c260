#pragma once

#include "engine/program.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <array>
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
// window (Program::placeBeside), in the screen's pixels.
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

// The program's four windows on the desktop: they show the program's flow
// (Program) and hand it every press of their buttons. Every window is
// destroyed when it closes; the desktop remembers only the open ones.
class Desktop : public QObject {
    Q_OBJECT
public:
    Desktop(GameSettings &settings, const Story &story, std::function<void()> launchMusic);
    ~Desktop() override;

    // Opens the first window: the new-game dialog.
    void start();

    // The buttons of the windows, pressed from the keyboard.
    void showNewGameDialog();
    void startGame();
    void showHelp();
    void showAuthor();

    // The windows that are open, or null.
    frmTargame *gameWindow() const;
    frmNew *newGameDialog() const;
    frmHelp *helpWindow() const;
    frmAuthor *authorWindow() const;

    Program &program() { return m_program; }

    // Whether a window takes the keyboard as it comes up.
    enum class Keyboard { Take, Leave };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(Window window, Control control, qint64 at, bool byMouse);
    // Makes the windows show the program: opens, raises and closes them.
    void sync();
    Form *make(Window window);
    // Places help or author beside the game (or the dialog, while it is up).
    void openBeside(Form *window, Window which);
    void anchorBeside();
    Form *mainWindow() const;
    Keyboard keyboardFor(Window window);
    void giveTheGameTheKeyboard(const QWidget *closing);
    QPointer<QWidget> &slot(Window window) { return m_windows[std::size_t(window)]; }
    Form *shown(Window window) const;

    Program m_program;
    std::array<QPointer<QWidget>, kWindowCount> m_windows;
    std::array<unsigned, kWindowCount> m_raised{};
    bool m_reshowing = false;   // a window hidden only to be shown anew
};

} // namespace tarnvale::ui
