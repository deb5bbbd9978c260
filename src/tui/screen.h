#pragma once

// The full-screen terminal game: the new-game dialog, the game window, and
// the help and author screens, drawn with curses over the engine.

#include "engine/program.h"
#include "tui/curses.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnvale::tui {

// The smallest terminal the game window fits in.
inline constexpr int kMinColumns = 80;
inline constexpr int kMinRows = 24;

// The key codes curses gives the start and the end of a bracketed paste.
inline constexpr int kPasteStart = KEY_MAX + 1;
inline constexpr int kPasteEnd = KEY_MAX + 2;
// Alt and any key: a key the game has no use for.
inline constexpr int kAltKey = KEY_MAX + 3;

// The function keys of the game window's four label buttons.
inline constexpr int kHelpKey = 1;      // "помощь"
inline constexpr int kNewKey = 2;       // "новая"
inline constexpr int kAuthorKey = 3;    // "автор"
inline constexpr int kExitKey = 10;     // "выход"

class Screen {
public:
    enum class Page { Dialog, Game, Help, Author };

    // Opens on the new-game dialog, which writes `settings` as the windows'
    // dialog does; every game plays `story`, and launchMusic is called when a
    // game with music starts.
    Screen(GameSettings &settings, const Story &story, std::function<void()> launchMusic);
    ~Screen();

    // One result of get_wch(): a character, or a curses key code when
    // `isKeyCode` (KEY_RESIZE and KEY_MOUSE included).
    void input(unsigned ch, bool isKeyCode);
    // A mouse button press at a screen position.
    void click(int row, int column);
    // A paste, whole: the text up to its first line break goes into the
    // visible box; nothing is submitted.
    void paste(std::u16string_view text);
    void scrollOutput(int lines);

    // Draws the current page into stdscr and places the cursor; the caller
    // refreshes.
    void draw();

    bool finished() const { return m_program.finished(); }
    // The next draw draws the whole terminal anew (after something else
    // wrote on it, as Ctrl+L asks).
    void repaint() { m_repaint = true; }
    Page page() const;
    const View &view() { return m_program.view(); }

private:
    struct Button {
        int row, column, width;
        std::function<void()> action;
    };

    void dialogKey(unsigned ch, bool isKeyCode);
    void gameKey(unsigned ch, bool isKeyCode);
    void infoKey(unsigned ch, bool isKeyCode);
    // A press of a button of a window, from the keyboard or the mouse.
    void press(Window window, Control control, bool byMouse = false);
    unsigned raises(Window window);

    void drawPage();
    void drawDialog(int top, int left);
    void drawGame();
    void drawInfo(int top, int left);
    void drawFrame(int top, int left, int height, int width);
    void drawTooSmall();
    void drawConsole(int row, int left, int width);
    void addButton(int row, int column, std::u16string_view text, int attrs, std::function<void()> action);

    int outputHeight() const;

    Program m_program;
    Window m_front = Window::Help;   // of help and author, the one brought up last
    unsigned m_gameSeen = 0;         // the game window's openings drawn so far
    unsigned m_dialogSeen = 0;       // and the dialog's
    int m_dialogFocus = 0;           // the highlighted item of the dialog ("начать" as it comes up)

    // The output box, wrapped once per text and width.
    std::u16string m_wrappedText;   // (kept: the view's text lives only until the next input)
    int m_wrappedWidth = -1;
    std::vector<std::wstring> m_lines;
    int m_scroll = 0;

    // The command line's first shown cell, kept so that the caret stays in view.
    int m_conScroll = 0;

    bool m_repaint = false;         // the whole screen is drawn anew (Ctrl+L)
    bool m_pasting = false;         // between the brackets of a paste
    std::u16string m_pasted;

    bool m_showCursor = false;      // wanted by the page being drawn
    bool m_cursorShown = true;      // as the terminal has it (curses starts with it shown)

    std::vector<Button> m_buttons;   // what a click can hit on the page drawn last
};

} // namespace tarnvale::tui
