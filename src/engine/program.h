#pragma once

// The program as every front-end meets it: one set of calls for what the
// player does, one view of all a front-end shows, and the kept game.

#include "engine/description.h"
#include "engine/gamestate.h"
#include "engine/textbox.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvale {

class Game;
struct Story;

// Milliseconds on any clock that only goes forward, as a front-end reads it.
using Millis = std::int64_t;

// Where a window lies, in any one unit (pixels on the desktop).
struct Box {
    int x, y, width, height;
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr bool empty() const { return width <= 0 || height <= 0; }
};

// One widget as a front-end draws it now.
struct WidgetView {
    const windows::Widget *widget;   // its description: name, kind, place, control, names
    std::u16string_view text;        // its caption, or the input box's text
    windows::Colour colour;
    bool visible = true;
    bool enabled = true;
    bool chosen = false;             // a dialog choice that is the chosen one of its pair
    int start = 0, length = 0;       // an input box's selection (caret at `start` when empty)

    // What a screen reader calls it: a counter by its name and value («деньги:
    // 50 руб.»), an item carried by its name and slot; anything else by its
    // accessible name.
    std::u16string spokenName() const;
};

// One open window as a front-end draws it now.
struct WindowView {
    const windows::Form *form;
    // Changes whenever the window is opened or brought up again: a front-end
    // that sees it change brings the window to the front.
    unsigned raises = 0;
    // Whether the keyboard goes to the window as it comes up.
    bool keyboard = false;
    std::vector<WidgetView> widgets;   // in the description's order

    Window window() const { return form->window; }
    const WidgetView *find(std::string_view name) const;
    // What a screen reader is told as the window comes up, after its name:
    // what it is for, the choices made, and the button with the keyboard.
    std::u16string spokenDescription(const windows::Description &description) const;
};

// All a front-end shows, as one value: valid until the next input.
struct View {
    // Grows with every input that may have changed what is shown.
    std::uint64_t generation = 0;
    // The program has ended ("выход"): nothing is shown any more.
    bool finished = false;
    // The open windows, in the order they came up (the front one last).
    std::vector<WindowView> windows;

    // The game, while its window is open. Its answers are counted: the start
    // and every Enter a box took; a front-end that sees the count change
    // tells a screen reader the answer, also when it is the same text again.
    bool inGame = false;
    unsigned turns = 0;
    std::u16string_view reply;   // the output box
    std::u16string_view news;    // what the last Enter changed besides it, in a few words
    std::u16string_view closing; // once the game is lost: what the player can do now
    bool passwordShown = false;  // the password box stands in the command box's place
    int listIndex = -1;          // the hidden dictionary's selected phrase
    int listSize = 0;            // and how many it holds (none in a hard game)

    const WindowView *find(Window window) const;
    const WindowView *find(std::string_view formName) const;
    const WidgetView *find(Window window, std::string_view widgetName) const;
    // The input box on screen (the command box, or the password box in its
    // place), while the game's window is open.
    const WidgetView *visibleBox() const;
    // What a screen reader says for the last answer: the reply, then the
    // news, then, once the game is lost, what the player can do now.
    std::u16string answer() const;
};

// The program's flow: which windows are open, the dialog's choices, the game
// in progress, and what each of the player's inputs does to them. Every
// front-end draws the view and forwards the player's input; only the
// platform's facts (the double-click interval, the time, the screen) come
// from the front-end.
//
// The new-game dialog and the game window take turns: "начать" starts a
// fresh game and closes the dialog, "новая" opens the dialog (whose load
// chooses a hard game with music) and discards the game. Help and author
// open on first use, a further press only brings them up, and they live on
// their own until closed. Every "выход" ends the program.
class Program {
public:
    Program(GameSettings &settings, const Story &story, std::function<void()> launchMusic = {});
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // --- the player's input -------------------------------------------------
    // Opens the first window, the new-game dialog; a program that has run
    // before starts afresh.
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
    void shown(Window window, Millis now);
    void setDoubleClickInterval(Millis interval) { m_doubleClick = interval; }

    // In the game's input box on screen, while its window is open: a key;
    // characters typed at the selection; an edit the platform's own text
    // widget made (its new text and caret; typing at the selection counts as
    // typing); a move of the caret or the selection; a paste (its first line
    // goes in as typed, nothing is submitted); a whole line submitted as
    // Enter would submit it (false when no box took it).
    void key(Key key);
    void type(std::u16string_view text);
    void edit(std::u16string_view text, int caret);
    void select(int start, int length);
    void paste(std::u16string_view text);
    bool submit(std::u16string_view line);

    // --- what is shown ------------------------------------------------------
    const View &view();
    std::uint64_t generation() const { return m_generation; }
    bool finished() const { return m_finished; }
    bool isOpen(Window window) const { return m_open[index(window)]; }
    bool takesPresses(Window window, Millis now) const;
    Millis doubleClickInterval() const { return m_doubleClick; }
    // What the easy game would complete the command box's text to, were the
    // box to hold `text` (an input method's word still being composed):
    // empty when it would complete nothing.
    std::u16string_view completion(std::u16string_view text) const;
    // The game's state record, while its window is open: for tools and tests.
    const GameState *state() const;
    const GameSettings &settings() const { return m_settings; }
    const Story &story() const { return m_story; }

    // --- a game kept across a restart of its front-end ---------------------
    // The game in progress as a short text: the settings, the lines submitted
    // so far, the open windows, the visible box and a digest of the state the
    // lines lead to. Empty while no game is open, and for a game too long to
    // keep (keepable() is false then): more lines, or more text, than a
    // record holds, far beyond any game played to its end.
    static constexpr std::size_t kMaxRecordLines = 65536;
    static constexpr std::size_t kMaxRecordUnits = std::size_t(1) << 21;
    std::u16string record() const;
    bool keepable() const;
    // Brings a recorded game back: the lines are played again into a fresh
    // game with the same settings. A record that cannot be read, or whose
    // lines no longer lead to the state it recorded, gives a fresh start (the
    // dialog) instead, and false. A failure of the machine's own (no memory
    // left) leaves the program as it was and goes on to the caller.
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
    bool chosen(Control choice) const;
    void changed() { ++m_generation; }
    void buildView();

    GameSettings &m_settings;
    const Story &m_story;
    std::function<void()> m_launchMusic;
    std::unique_ptr<Game> m_game;
    std::array<bool, kWindowCount> m_open{};
    std::array<unsigned, kWindowCount> m_raises{};
    std::array<Millis, kWindowCount> m_appeared{};
    std::array<bool, kWindowCount> m_openedByKeyboard{};
    std::vector<Window> m_order;   // the open windows, the one brought up last at the end
    Millis m_doubleClick = 400;
    bool m_finished = false;
    std::uint64_t m_generation = 1;
    View m_view;
};

} // namespace tarnvale
