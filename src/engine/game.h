#pragma once

#include "engine/gamestate.h"
#include "engine/rules.h"
#include "engine/textbox.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>
#include <stdexcept>

namespace tarnvale {

// Key codes the console reacts to.
enum KeyCode : int {
    kKeyNone = 0,
    kKeyBackspace = 8,
    kKeyEnter = 13,
    kKeyEscape = 27,
    kKeyUp = 38,
    kKeyDelete = 46,
};

inline constexpr int kInventorySlots = 10;

// Everything the game window shows, as the game reads and writes it.
struct GameWindow {
    QString txtGame;
    QString lblAction;
    QString lblSteps;
    QString lblMoney;
    QString lblPoints;
    QString lblDiff;
    std::array<QString, kInventorySlots> lblInv;
    TextBox txtCon;
    TextBox txtPwd;
    QStringList lstItems;      // the hidden easy-game dictionary
    int lstItemsIndex = -1;    // its selected item, -1 for none

    bool operator==(const GameWindow &) const = default;
};

// Thrown when an addition would take a 16-bit counter out of its range.
class CounterOverflow : public std::overflow_error {
public:
    CounterOverflow() : std::overflow_error("16-bit counter overflow") {}
};

// One game: the game window's state record and every widget the story touches.
// It runs without any window; the desktop and the terminal front-ends are
// views over it.
class Game {
public:
    // The game starts at once, as the window's load would start it.
    // launchMusic is called once per game start while music is wanted.
    Game(GameSettings &settings, const Story &story, std::function<void()> launchMusic = {});

    // Starts the game launched with the window: the window as designed, then
    // its load handler.
    void newGame();

    // --- the game window's handlers ---------------------------------------
    void Form_Load();
    void PointsCounter(qint16 addpoints);
    void MoneyCounter(qint16 addmoney);
    void GameOver();
    void Action();
    void txtCon_KeyDown(int &keyCode);
    void txtCon_Change();
    void txtPwd_KeyDown(int &keyCode);

    // --- the player at the keyboard ---------------------------------------
    // A key press in the command or password box: the handler first, then,
    // for a key it did not consume, the text box's own editing. Keys reach a
    // box only while it is visible and enabled.
    void pressConKey(int keyCode);
    void pressPwdKey(int keyCode);
    // Characters typed into a box, replacing its selection.
    void typeCon(QStringView text);
    void typePwd(QStringView text);
    // An edit that a real text widget made on its own (pasting, dragging
    // text, an input method): its new text and caret.
    void editCon(const QString &text, int caret);
    void editPwd(const QString &text, int caret);
    // The player moved the caret or selected text (no change of the text).
    void selectCon(int start, int length);
    void selectPwd(int start, int length);
    // A whole line submitted exactly as given to whichever box is visible, as
    // Enter would. Returns false when no box could take it.
    bool submit(const QString &line);

    // --- operations of the story scripts -----------------------------------
    void reply(QStringView text);
    void putItem(QStringView item);
    void removeItem(QStringView item);
    bool holdsItem(QStringView item) const;
    void addPoints(qint16 amount) { PointsCounter(amount); }
    void addMoney(qint16 amount) { MoneyCounter(amount); }
    bool is(Flag f) const { return m_state[f] != kFalse; }
    void set(Flag f) { m_state[f] = kTrue; }
    void clear(Flag f) { m_state[f] = kFalse; }
    void moveTo(qint16 location) { m_state.location = location; }
    qint16 location() const { return m_state.location; }
    void showPasswordBox();   // the password box takes the command box's place
    void showCommandBox();    // and the other way round
    // Replaces an inventory caption in place (the pack swap refills a pack).
    void renameItem(QStringView from, QStringView to);

    // --- what the windows show ---------------------------------------------
    const GameState &state() const { return m_state; }
    const GameWindow &window() const { return m_window; }
    const GameSettings &settings() const { return m_settings; }

    static const QString kOpeningText;
    static const QString kDefaultReply;
    static const QString kOverflowNotice;

private:
    void enterTurn();
    void setConText(const QString &text);
    bool easyGame() const { return m_settings.easyMode != kFalse; }

    GameSettings &m_settings;
    const Story &m_story;
    std::function<void()> m_launchMusic;
    GameState m_state;
    GameWindow m_window;
    int m_changeDepth = 0;
};

} // namespace tarnvale
