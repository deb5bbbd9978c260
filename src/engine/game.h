#pragma once

// One game: the game window's state record and every widget the story
// touches, with the window's handlers behind the player's input. It lives
// inside the program (program.h), which every front-end goes through.

#include "engine/gamestate.h"
#include "engine/rules.h"
#include "engine/textbox.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvale {

inline constexpr int kInventorySlots = 10;

// The items of the hidden list box. It only ever holds the game's own
// dictionary, which lives as long as the program, so the list refers to the
// phrases instead of keeping copies of them.
class PhraseList {
public:
    void fill(std::span<const std::u16string_view> phrases) { m_items = phrases; }
    int size() const { return int(m_items.size()); }
    std::u16string_view operator[](int i) const { return m_items[std::size_t(i)]; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    bool operator==(const PhraseList &other) const;

private:
    std::span<const std::u16string_view> m_items;
};

// Everything the game window shows, as the game reads and writes it.
struct GameWindow {
    std::u16string txtGame;
    std::u16string lblAction;
    std::u16string lblSteps;
    std::u16string lblMoney;
    std::u16string lblPoints;
    std::u16string lblDiff;
    std::array<std::u16string, kInventorySlots> lblInv;
    TextBox txtCon;
    TextBox txtPwd;
    PhraseList lstItems;       // the hidden easy-game dictionary
    int lstItemsIndex = -1;    // its selected item, -1 for none

    bool operator==(const GameWindow &) const = default;
};

// Thrown when an addition would take a 16-bit counter out of its range.
class CounterOverflow : public std::overflow_error {
public:
    CounterOverflow() : std::overflow_error("16-bit counter overflow") {}
};

class Game {
public:
    // The game starts at once, as the window's load would start it.
    // launchMusic is called once per game start while music is wanted.
    Game(GameSettings &settings, const Story &story, std::function<void()> launchMusic = {});

    // --- the player at the visible box -------------------------------------
    // What a player does reaches whichever input box is on screen (the
    // command box, or the password box in its place) while it is enabled.
    void key(Key key);
    // Characters typed, replacing the selection.
    void type(std::u16string_view text);
    // An edit that a real text widget made on its own (dragging text, an
    // input method, deleting a word, an undo): its new text and caret. An
    // edit that is only typing at the selection counts as typing.
    void edit(std::u16string_view text, int caret);
    // The player moved the caret or selected text (no change of the text).
    void select(int start, int length);
    // A paste (or a drop) at the selection: the text up to its first line
    // break goes in as typed; nothing is ever submitted by a paste.
    void paste(std::u16string_view text);
    // A whole line submitted exactly as given to whichever box is visible, as
    // Enter would. Returns false when no box could take it.
    bool submit(std::u16string_view line);

    // --- what it shows and remembers ----------------------------------------
    const GameWindow &window() const { return m_window; }
    const GameState &state() const { return m_state; }
    bool passwordShown() const { return m_window.txtPwd.visible; }
    const TextBox &visibleBox() const { return passwordShown() ? m_window.txtPwd : m_window.txtCon; }
    // Counts the game's answers: its start and every Enter in a box that took
    // it. A front-end that sees it change tells a screen reader the answer.
    unsigned turns() const { return m_turns; }
    // What the last Enter changed besides the reply, in a few words from the
    // labels as shown: the points, the money, the items that came or went.
    const std::u16string &news() const { return m_news; }
    // What the easy game would complete the command box's text to, were the
    // box to hold `text`: empty when it would complete nothing.
    std::u16string_view completion(std::u16string_view text) const;

    // --- the game kept across a restart of its front-end --------------------
    // The lines submitted with Enter since the game started, in order.
    std::size_t submittedCount() const { return m_lineEnds.size(); }
    std::u16string_view submitted(std::size_t i) const;
    // A digest of everything the lines submitted decide.
    std::uint64_t fingerprint() const;
    // Puts the visible box back as it was, text, selection and completion,
    // without a change of it being handled; false, and nothing changed, for
    // a box this game cannot have come to.
    bool restoreBox(std::u16string_view text, int start, int length, int listIndex);

private:
    friend class Scene;

    // --- the game window's handlers ------------------------------------------
    void Form_Load();
    void PointsCounter(std::int16_t addpoints);
    void MoneyCounter(std::int16_t addmoney);
    void GameOver();
    void Action();
    void txtCon_KeyDown(int &keyCode);
    void txtCon_Change();
    void txtPwd_KeyDown(int &keyCode);

    // The key codes the handlers react to.
    enum KeyCode : int {
        kKeyNone = 0,
        kKeyBackspace = 8,
        kKeyEnter = 13,
        kKeyEscape = 27,
        kKeyUp = 38,
        kKeyDelete = 46,
    };

    // What the turn under way has changed so far, kept until it has gone
    // through so that an overflow can undo it whole, and so that what the
    // turn changed besides the reply can be told. Only what a turn's rules
    // can touch is kept, and a caption that is replaced is moved here rather
    // than copied.
    struct TurnUndo {
        GameState state;
        bool conVisible;
        bool conEnabled;
        bool pwdVisible;
        std::optional<std::u16string> txtGame;
        std::optional<std::u16string> lblPoints;
        std::optional<std::u16string> lblMoney;
        std::optional<std::array<std::u16string, kInventorySlots>> lblInv;
    };

    // Enter in the visible box: its handler as one turn, all or nothing.
    void enter();
    void undoTurn();
    void tellNews(const TurnUndo &undo);
    // A key press in a box: the handler first, then, for a key it did not
    // consume, the text box's own editing.
    void pressConKey(int keyCode);
    void pressPwdKey(int keyCode);
    // Replaces a caption; during a turn the old one is kept in `kept`.
    void rewrite(std::u16string &caption, std::optional<std::u16string> TurnUndo::*kept,
                 std::u16string text);
    void keepInventory();   // before the inventory changes
    int completionIndex(std::u16string_view typed) const;   // in the hidden list, -1 for none
    void setConText(std::u16string_view text);
    TextBox &visibleBoxForInput() { return passwordShown() ? m_window.txtPwd : m_window.txtCon; }
    bool easyGame() const { return m_settings.easyMode != kFalse; }
    std::u16string *findSlot(std::u16string_view item);

    GameSettings &m_settings;
    const Story &m_story;
    std::function<void()> m_launchMusic;
    GameState m_state;
    GameWindow m_window;
    std::optional<TurnUndo> m_turn;   // while Enter's turn runs
    // The lines submitted, one after another, and where each ends.
    std::u16string m_lines;
    std::vector<std::uint32_t> m_lineEnds;
    unsigned m_turns = 0;
    std::u16string m_news;
    std::size_t m_longestPhrase = 0;   // of the dictionary: a longer text completes to nothing
    int m_changeDepth = 0;
};

} // namespace tarnvale
