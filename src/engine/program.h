#pragma once

#include "engine/game.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tarnvale {

// The program's four windows.
enum class Window { Dialog, Game, Help, Author };
inline constexpr std::size_t kWindowCount = 4;

// What pressing one of the windows' label buttons does.
enum class Control {
    None,
    Hard, Easy, MusicOn, MusicOff,   // the dialog's choices
    Note,                            // the note beside the music: nothing
    Start,                           // "начать"
    New, Author, Help,               // the game window's "новая", "автор", "помощь"
    Exit,                            // every "выход": the program ends at once
    Close,                           // "закрыть" in help and author
};

// Milliseconds on any clock that only goes forward, as a front-end reads it.
using Millis = std::int64_t;

// Where a window lies, in any one unit (pixels on the desktop).
struct Box {
    int x, y, width, height;
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr bool empty() const { return width <= 0 || height <= 0; }
};

// The program's flow: which windows are open, the dialog's choices, the game
// in progress, and what a press of each button does to them. Every front-end
// draws this and forwards the player's presses; only the platform's facts
// (the double-click interval, the time, the screen) come from the front-end.
//
// The new-game dialog and the game window take turns: "начать" starts a
// fresh game and closes the dialog, "новая" opens the dialog (whose load
// chooses a hard game with music) and discards the game. Help and author
// open on first use, a further press only brings them up, and they live on
// their own until closed. Every "выход" ends the program.
class Program {
public:
    Program(GameSettings &settings, const Story &story, std::function<void()> launchMusic = {});

    // Opens the first window, the new-game dialog.
    void start(Millis now = 0);

    // A press of a button of a window. A press of the mouse that comes within
    // the double-click interval after that window appeared is no press: it
    // finishes a double click begun in the window that opened it. The
    // keyboard is never held back. Returns whether the press was taken.
    enum class By { Mouse, Keyboard };
    bool press(Window window, Control control, Millis now, By by = By::Keyboard);
    // The window was closed from outside (the window manager, Esc).
    void close(Window window);

    // The front-end saw the window come up (shown or raised) at `now`.
    void appeared(Window window, Millis now);
    bool takesPresses(Window window, Millis now) const;
    void setDoubleClickInterval(Millis interval) { m_doubleClick = interval; }
    Millis doubleClickInterval() const { return m_doubleClick; }

    bool isOpen(Window window) const { return m_open[index(window)]; }
    // Counts the times a window was opened or brought up: a front-end that
    // sees it change brings the window to the front.
    unsigned raises(Window window) const { return m_raises[index(window)]; }
    // The dialog and the game window take the keyboard when they come up;
    // help and author come up beside the game and leave it with the game.
    static bool takesKeyboard(Window window) { return window == Window::Dialog || window == Window::Game; }
    // Whether the keyboard goes to the window as it comes up now: the
    // dialog's and the game's always; help's and author's when the press
    // that opened them came from the keyboard (a screen reader then goes
    // there too), not when it was a click (the player typing goes on).
    bool keyboardGoesTo(Window window) const
    {
        return takesKeyboard(window) || m_openedByKeyboard[index(window)];
    }
    bool finished() const { return m_finished; }

    // Whether one of the dialog's choices is the chosen one of its pair.
    bool chosen(Control choice) const;
    const GameSettings &settings() const { return m_settings; }

    // The game while its window is open (a new one for every "начать").
    Game *game() { return isOpen(Window::Game) ? m_game.get() : nullptr; }
    const Game *game() const { return isOpen(Window::Game) ? m_game.get() : nullptr; }

    // --- a game kept across a restart of its front-end ---------------------
    // The game in progress as a short text: the settings, the lines submitted
    // so far, the open windows, the visible box and a digest of the state the
    // lines lead to. Empty while no game is open.
    std::u16string record() const;
    // Brings a recorded game back: the lines are played again into a fresh
    // game with the same settings. A record that cannot be read, or whose
    // lines no longer lead to the state it recorded, gives a fresh start (the
    // dialog) instead, and false.
    bool resume(std::u16string_view record, Millis now = 0);

    // Where help or author of `size` opens beside the game window: to its
    // right, else to its left, at the game's top or below the windows
    // already there, else above or below it; inside the screen (when it is
    // known), covering least of the game, then least of the others.
    static Box placeBeside(const Box &game, int width, int height, const Box &screen,
                           std::span<const Box> taken, int gap);

private:
    static std::size_t index(Window w) { return std::size_t(w); }
    void open(Window window, Millis now);
    void openDialog(Millis now);
    bool replay(std::u16string_view record, Millis now);

    GameSettings &m_settings;
    const Story &m_story;
    std::function<void()> m_launchMusic;
    std::unique_ptr<Game> m_game;
    std::array<bool, kWindowCount> m_open{};
    std::array<unsigned, kWindowCount> m_raises{};
    std::array<Millis, kWindowCount> m_appeared{};
    std::array<bool, kWindowCount> m_openedByKeyboard{};
    Millis m_doubleClick = 400;
    bool m_finished = false;
};

} // namespace tarnvale
