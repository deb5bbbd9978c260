#include "engine/game.h"

#include "engine/completion.h"
#include "engine/digest.h"
#include "engine/rules.h"
#include "engine/scene.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tarnvale {
namespace {

constexpr int kMinCounter = std::numeric_limits<std::int16_t>::min();
constexpr int kMaxCounter = std::numeric_limits<std::int16_t>::max();

std::int16_t checkedCounter(double value)
{
    if (!(value >= kMinCounter && value <= kMaxCounter))
        throw CounterOverflow();
    return static_cast<std::int16_t>(value);
}

// The plain decimal form of a counter followed by its word: "-10 руб.".
std::u16string counterLabel(std::int16_t value, std::u16string_view word)
{
    char16_t digits[8];
    char16_t *first = std::end(digits);
    int magnitude = value < 0 ? -int(value) : int(value);
    do {
        *--first = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--first = u'-';
    std::u16string label;
    label.reserve(std::size_t(std::end(digits) - first) + word.size());
    label.append(first, std::end(digits)).append(word);
    return label;
}

// The completion runs inside the command box's change event and re-enters it
// once through its own change of the text; nothing legitimate goes deeper.
constexpr int kMaxChangeDepth = 2;

} // namespace

bool PhraseList::operator==(const PhraseList &other) const
{
    return std::equal(m_items.begin(), m_items.end(), other.m_items.begin(), other.m_items.end());
}

Game::Game(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_settings(settings), m_story(story), m_launchMusic(std::move(launchMusic))
{
    // The window as it is designed, before its load handler runs.
    const GameCaptions &designed = m_story.captions;
    m_window.txtGame = designed.txtGame;
    m_window.lblSteps = designed.lblSteps;
    m_window.lblMoney = designed.lblMoney;
    m_window.lblPoints = designed.lblPoints;
    m_window.lblDiff = designed.lblDiff;
    m_window.txtPwd.visible = false;
    m_turns = 1;   // the opening scene is the game's first answer
    for (const std::u16string_view phrase : m_story.dictionary)
        m_longestPhrase = std::max(m_longestPhrase, phrase.size());
    Form_Load();
}

// ---------------------------------------------------------------------------
// The game state and its counters

void Game::Form_Load()
{
    m_state.points = 0;
    m_state.money = 0;
    PointsCounter(0);
    m_window.txtPwd.visible = false;
    m_window.txtCon.visible = true;
    m_window.lblDiff = m_story.words.hardGame;
    m_window.txtCon.enabled = true;
    m_state = GameState{};
    m_window.lblAction.clear();
    for (std::u16string &slot : m_window.lblInv) {
        if (!slot.empty())
            slot.clear();
    }
    MoneyCounter(60);
    if (m_settings.easyMode == kTrue) {
        m_window.lstItems.fill(m_story.dictionary);
        m_window.lblDiff = m_story.words.easyGame;
    }
    if (m_settings.musicOn == kTrue && m_launchMusic)
        m_launchMusic();
}

void Game::PointsCounter(std::int16_t addpoints)
{
    if (easyGame()) {
        // The division first, then the sum, rounded to the nearest integer
        // with halves going to the even neighbour.
        const double sum = m_state.points + double(addpoints) / 5.0;
        m_state.points = checkedCounter(std::nearbyint(sum));
    } else {
        m_state.points = checkedCounter(m_state.points + addpoints);
    }
    rewrite(m_window.lblPoints, &TurnUndo::lblPoints, counterLabel(m_state.points, m_story.words.points));
}

void Game::MoneyCounter(std::int16_t addmoney)
{
    m_state.money = checkedCounter(m_state.money + addmoney);
    rewrite(m_window.lblMoney, &TurnUndo::lblMoney, counterLabel(m_state.money, m_story.words.money));
}

void Game::GameOver()
{
    // The scene that ended the game stays above the closing lines.
    std::u16string text = m_window.txtGame;
    if (!text.empty())
        text.append(u"\r\n\r\n");
    text.append(m_story.words.gameOver);
    rewrite(m_window.txtGame, &TurnUndo::txtGame, std::move(text));
    m_window.txtCon.enabled = false;
}

// ---------------------------------------------------------------------------
// The command interpreter and the console

void Game::Action()
{
    Scene scene(*this);
    scene.reply(m_story.words.defaultReply);
    // Nothing in a turn changes the command box, so every rule compares the
    // same text.
    const std::u16string_view command = m_window.txtCon.text();
    const std::int16_t location = m_state.location;
    runLocation(m_story, scene, location, command);
    if (m_story.everywhere)
        runRules(*m_story.everywhere, scene, command);
}

void Game::enter()
{
    // A turn is all or nothing. When a counter would overflow anywhere in
    // it, the game is put back as it was before the Enter and says so (a
    // turn of its own, kept with its line). When anything else fails (no
    // memory left), the game is put back as it was and the failure goes on
    // to the caller: no turn happened.
    const bool password = passwordShown();
    const std::u16string_view line = visibleBox().text();
    const std::size_t linesBefore = m_lines.size();
    m_lines.append(line);
    try {
        m_lineEnds.push_back(std::uint32_t(m_lines.size()));
    } catch (...) {
        m_lines.resize(linesBefore);
        throw;
    }
    TurnUndo &undo = m_turn.emplace();
    undo.state = m_state;
    undo.conVisible = m_window.txtCon.visible;
    undo.conEnabled = m_window.txtCon.enabled;
    undo.pwdVisible = m_window.txtPwd.visible;
    std::u16string news;
    news.swap(m_news);
    int keyCode = kKeyEnter;
    try {
        if (password)
            txtPwd_KeyDown(keyCode);
        else
            txtCon_KeyDown(keyCode);
    } catch (const CounterOverflow &) {
        undoTurn();
        m_window.txtGame = m_story.words.overflow;
        // A line submitted whole may hold a line break, which the one-line
        // box it stays in cannot show: the box keeps the first line.
        TextBox &box = visibleBoxForInput();
        if (const std::u16string_view first = firstLine(box.text()); first.size() != box.text().size())
            box.edit(std::u16string(first), int(first.size()));
        ++m_turns;
        return;
    } catch (...) {
        undoTurn();
        m_news.swap(news);
        m_lineEnds.pop_back();
        m_lines.resize(linesBefore);
        throw;
    }
    ++m_turns;
    m_turn.reset();
}

void Game::undoTurn()
{
    TurnUndo &undo = *m_turn;
    m_state = undo.state;
    m_window.txtCon.visible = undo.conVisible;
    m_window.txtCon.enabled = undo.conEnabled;
    m_window.txtPwd.visible = undo.pwdVisible;
    if (undo.txtGame)
        m_window.txtGame = std::move(*undo.txtGame);
    if (undo.lblPoints)
        m_window.lblPoints = std::move(*undo.lblPoints);
    if (undo.lblMoney)
        m_window.lblMoney = std::move(*undo.lblMoney);
    if (undo.lblInv)
        m_window.lblInv = std::move(*undo.lblInv);
    m_turn.reset();
}

void Game::rewrite(std::u16string &caption, std::optional<std::u16string> TurnUndo::*kept,
                   std::u16string text)
{
    if (m_turn && !((*m_turn).*kept))
        (*m_turn).*kept = std::move(caption);
    caption = std::move(text);
}

void Game::keepInventory()
{
    if (m_turn && !m_turn->lblInv)
        m_turn->lblInv = m_window.lblInv;
}

void Game::setConText(std::u16string_view text)
{
    if (m_window.txtCon.setText(text))
        txtCon_Change();
}

void Game::txtCon_KeyDown(int &keyCode)
{
    TextBox &box = m_window.txtCon;
    switch (keyCode) {
    case kKeyEnter: {
        Action();
        const std::int16_t moves = checkedCounter(m_state.moveCount + 1);
        // Made before anything of them changes: what follows cannot fail.
        std::u16string steps = counterLabel(moves, m_story.words.moves);
        std::u16string action = box.text();
        tellNews(*m_turn);
        m_state.moveCount = moves;
        m_window.lblSteps = std::move(steps);
        m_window.lblAction = std::move(action);
        setConText({});
        break;
    }
    case kKeyEscape:
        setConText({});
        break;
    case kKeyUp:
        // The last command, as much of it as a one-line box holds.
        setConText(firstLine(m_window.lblAction));
        break;
    case kKeyBackspace:
        // Drops the selection together with the character before it. With
        // the selection at position 0 there is nothing to keep and the
        // shortening fails; the key is swallowed either way.
        // (The character before the selection goes whole, both halves of a
        // pair, a letter with its marks.)
        if (box.selLength() != 0) {
            if (box.selStart() >= 1)
                setConText(std::u16string(box.text(), 0, std::size_t(box.previousStop(box.selStart()))));
            keyCode = kKeyNone;
        }
        break;
    case kKeyDelete:
        // A completed tail cannot be deleted.
        if (box.selLength() != 0 && box.selStart() != 0)
            keyCode = kKeyNone;
        break;
    default:
        break;
    }
}

void Game::txtCon_Change()
{
    if (m_settings.easyMode != kTrue)
        return;
    if (m_changeDepth >= kMaxChangeDepth)
        return;
    ++m_changeDepth;

    TextBox &box = m_window.txtCon;
    m_window.lstItemsIndex = completionIndex(box.text());
    if (m_window.lstItemsIndex >= 0) {
        const int caret = box.selStart();
        setConText(m_window.lstItems[m_window.lstItemsIndex]);
        box.setSelStart(caret);
        box.setSelLength(int(box.text().size()) - caret);
    }
    --m_changeDepth;
}

int Game::completionIndex(std::u16string_view typed) const
{
    if (!typed.empty()) {
        for (int i = 0; i < m_window.lstItems.size(); ++i) {
            if (startsWithFolded(m_window.lstItems[i], typed))
                return i;
        }
    }
    return -1;
}

std::u16string_view Game::completion(std::u16string_view text) const
{
    if (m_settings.easyMode != kTrue || passwordShown() || !m_window.txtCon.acceptsInput())
        return {};
    const int i = completionIndex(text);
    return i < 0 ? std::u16string_view{} : m_window.lstItems[i];
}

void Game::txtPwd_KeyDown(int &keyCode)
{
    TextBox &box = m_window.txtPwd;
    switch (keyCode) {
    case kKeyEnter: {
        // A password attempt is not a move: the label is only rewritten.
        std::u16string steps = counterLabel(m_state.moveCount, m_story.words.moves);
        std::u16string action = box.text();
        if (m_story.checkPassword) {
            Scene scene(*this);
            m_story.checkPassword(scene, box.text());
        }
        tellNews(*m_turn);
        m_window.lblSteps = std::move(steps);
        m_window.lblAction = std::move(action);
        box.setText({});
        break;
    }
    case kKeyEscape:
        box.setText({});
        break;
    case kKeyUp:
        box.setText(firstLine(m_window.lblAction));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// The player at the keyboard

void Game::pressConKey(int keyCode)
{
    TextBox &box = m_window.txtCon;
    if (!box.acceptsInput())
        return;
    if (keyCode == kKeyEnter) {
        enter();
        return;
    }
    txtCon_KeyDown(keyCode);
    if (keyCode == kKeyBackspace && box.backspace())
        txtCon_Change();
    else if (keyCode == kKeyDelete && box.deleteForward())
        txtCon_Change();
}

void Game::pressPwdKey(int keyCode)
{
    TextBox &box = m_window.txtPwd;
    if (!box.acceptsInput())
        return;
    if (keyCode == kKeyEnter) {
        enter();
        return;
    }
    txtPwd_KeyDown(keyCode);
    if (keyCode == kKeyBackspace)
        box.backspace();
    else if (keyCode == kKeyDelete)
        box.deleteForward();
}

void Game::key(Key key)
{
    TextBox &box = visibleBoxForInput();
    if (!box.acceptsInput())
        return;
    const bool password = passwordShown();
    const auto press = [&](int code) {
        if (password)
            pressPwdKey(code);
        else
            pressConKey(code);
    };
    switch (key) {
    case Key::Enter: press(kKeyEnter); break;
    case Key::Escape: press(kKeyEscape); break;
    case Key::Up: press(kKeyUp); break;
    case Key::Backspace: press(kKeyBackspace); break;
    case Key::Delete: press(kKeyDelete); break;
    case Key::Left:
        // A selection collapses to its start, else one character back.
        box.setSelStart(box.selLength() ? box.selStart() : box.previousStop(box.selStart()));
        break;
    case Key::Right:
        box.setSelStart(box.selLength() ? box.selStart() + box.selLength() : box.nextStop(box.selStart()));
        break;
    case Key::Home: box.setSelStart(0); break;
    case Key::End: box.setSelStart(int(box.text().size())); break;
    }
}

void Game::type(std::u16string_view text)
{
    // A one-line box takes what is typed up to a line break.
    TextBox &box = visibleBoxForInput();
    if (box.acceptsInput() && box.type(firstLine(text)) && !passwordShown())
        txtCon_Change();
}

void Game::edit(std::u16string_view text, int caret)
{
    // Typing at the selection: what stands before it and after it is kept,
    // and the caret follows what came in.
    const TextBox &before = visibleBox();
    const std::u16string_view was = before.text();
    const std::size_t start = std::size_t(before.selStart());
    const std::size_t end = start + std::size_t(before.selLength());
    const std::size_t kept = was.size() - (end - start);
    if (text.size() > kept && caret >= 0 && std::size_t(caret) == start + (text.size() - kept)
        && text.substr(0, start) == was.substr(0, start) && text.substr(std::size_t(caret)) == was.substr(end)) {
        // Key by key, as the completion answers every key; but only while it
        // can: a text longer than every phrase begins none, and from there
        // on (and in a box without completion) the rest goes in at once, as
        // key by key it would.
        std::u16string_view typed = firstLine(text.substr(start, text.size() - kept));
        const bool completing = easyGame() && !passwordShown();
        while (completing && !typed.empty() && visibleBox().text().size() <= m_longestPhrase) {
            const std::size_t n = typed.size() > 1 && typed[0] >= 0xd800 && typed[0] < 0xdc00 && typed[1] >= 0xdc00
                                          && typed[1] < 0xe000
                                      ? 2
                                      : 1;
            type(typed.substr(0, n));
            typed.remove_prefix(n);
        }
        if (!typed.empty())
            type(typed);
        return;
    }
    // Anything else: the box keeps the text up to a line break that came in.
    const std::u16string_view line = firstLine(text);
    caret = std::min(caret, int(line.size()));
    TextBox &box = visibleBoxForInput();
    if (box.acceptsInput() && box.edit(line, caret) && !passwordShown())
        txtCon_Change();
}

void Game::select(int start, int length)
{
    TextBox &box = visibleBoxForInput();
    const int size = int(box.text().size());
    start = std::clamp(start, 0, size);
    const int from = box.stopAtOrBefore(start);
    const int to = box.stopAtOrAfter(start + std::clamp(length, 0, size - start));
    box.setSelStart(from);
    box.setSelLength(to - from);
}

void Game::paste(std::u16string_view text)
{
    const std::u16string_view line = firstLine(text);
    if (!line.empty())
        type(line);
}

bool Game::submit(std::u16string_view line)
{
    const bool password = m_window.txtPwd.acceptsInput();
    if (!password && !m_window.txtCon.acceptsInput())
        return false;
    // Should the turn fail (no memory left), the box is put back as it was
    // too: the turn has put back the rest.
    TextBox &box = password ? m_window.txtPwd : m_window.txtCon;
    TextBox kept = box;
    const int listIndex = m_window.lstItemsIndex;
    try {
        box.edit(line, int(line.size()));
        if (password) {
            pressPwdKey(kKeyEnter);
        } else {
            // The line goes in as given, not completed: whatever the
            // completion had selected for the text the box held is no
            // longer selected.
            m_window.lstItemsIndex = -1;
            pressConKey(kKeyEnter);
        }
    } catch (...) {
        box = std::move(kept);
        m_window.lstItemsIndex = listIndex;
        throw;
    }
    return true;
}

std::u16string_view Game::submitted(std::size_t i) const
{
    const std::size_t from = i == 0 ? 0 : m_lineEnds[i - 1];
    return std::u16string_view(m_lines).substr(from, m_lineEnds[i] - from);
}

void Game::tellNews(const TurnUndo &undo)
{
    // Only what the turn rewrote can have changed: a turn that touched no
    // counter and no item has nothing to tell and costs nothing here.
    const auto say = [this](std::u16string_view lead, std::u16string_view what) {
        if (!m_news.empty())
            m_news += u' ';
        m_news.append(lead).append(what);
        if (!what.ends_with(u'.'))
            m_news += u'.';
    };
    if (undo.lblPoints && *undo.lblPoints != m_window.lblPoints)
        say({}, m_window.lblPoints);
    if (undo.lblMoney && *undo.lblMoney != m_window.lblMoney)
        say({}, m_window.lblMoney);
    if (!undo.lblInv)
        return;
    const auto holds = [](const auto &slots, const std::u16string &item) {
        return std::find(slots.begin(), slots.end(), item) != slots.end();
    };
    for (const std::u16string &item : m_window.lblInv) {
        if (!item.empty() && !holds(*undo.lblInv, item))
            say(m_story.words.itemCame, item);
    }
    for (const std::u16string &item : *undo.lblInv) {
        if (!item.empty() && !holds(m_window.lblInv, item))
            say(m_story.words.itemWent, item);
    }
}

std::uint64_t Game::fingerprint() const
{
    Digest d;
    for (const std::int16_t n : {m_state.moveCount, m_state.points, m_state.money, m_state.location})
        d.add(std::uint16_t(n));
    for (const Bool16 f : m_state.flags)
        d.add(std::uint16_t(f));
    const GameWindow &w = m_window;
    for (const std::u16string *caption : {&w.txtGame, &w.lblAction, &w.lblSteps, &w.lblMoney, &w.lblPoints, &w.lblDiff})
        d.add(*caption);
    for (const std::u16string &slot : w.lblInv)
        d.add(slot);
    for (const bool b : {w.txtCon.visible, w.txtCon.enabled, w.txtPwd.visible, w.txtPwd.enabled})
        d.add(b ? 1 : 0, 1);
    d.add(std::uint64_t(w.lstItems.size()), 4);
    return d.value();
}

bool Game::restoreBox(std::u16string_view text, int start, int length, int listIndex)
{
    // Only a box this game could have come to: one line; a caret and a
    // selection that split no character; and in an easy game's command box
    // the completion's phrase, or a text that begins none (or the line a
    // turn that overflowed left there as it was submitted).
    TextBox box;
    box.setText(text);
    const int size = int(text.size());
    if (firstLine(text).size() != text.size() || start < 0 || length < 0 || start > size || length > size - start
        || box.stopAtOrBefore(start) != start || box.stopAtOrBefore(start + length) != start + length)
        return false;
    const bool completes = easyGame() && !passwordShown();
    if (!completes && listIndex != -1)
        return false;
    if (completes) {
        const bool lastLine =
            submittedCount() > 0 && firstLine(submitted(submittedCount() - 1)) == text;
        if (listIndex >= 0 ? listIndex >= m_window.lstItems.size() || m_window.lstItems[listIndex] != text
                           : listIndex != -1 || (completionIndex(text) >= 0 && !lastLine))
            return false;
    }
    box.visible = visibleBox().visible;
    box.enabled = visibleBox().enabled;
    box.setSelStart(start);
    box.setSelLength(length);
    visibleBoxForInput() = std::move(box);
    if (completes)
        m_window.lstItemsIndex = listIndex;
    return true;
}

// ---------------------------------------------------------------------------
// Operations of the story scripts

std::u16string *Game::findSlot(std::u16string_view item)
{
    const auto slot = std::find(m_window.lblInv.begin(), m_window.lblInv.end(), item);
    return slot == m_window.lblInv.end() ? nullptr : &*slot;
}

void Scene::reply(std::u16string_view text)
{
    m_game.rewrite(m_game.m_window.txtGame, &Game::TurnUndo::txtGame, std::u16string(text));
}

void Scene::putItem(std::u16string_view item)
{
    if (std::u16string *slot = m_game.findSlot({})) {
        m_game.keepInventory();
        slot->assign(item);
    }
}

void Scene::removeItem(std::u16string_view item)
{
    if (std::u16string *slot = m_game.findSlot(item)) {
        m_game.keepInventory();
        slot->clear();
    }
}

bool Scene::holdsItem(std::u16string_view item) const
{
    return m_game.findSlot(item) != nullptr;
}

void Scene::renameItem(std::u16string_view from, std::u16string_view to)
{
    if (std::u16string *slot = m_game.findSlot(from)) {
        m_game.keepInventory();
        slot->assign(to);
    }
}

void Scene::addPoints(std::int16_t amount) { m_game.PointsCounter(amount); }
void Scene::addMoney(std::int16_t amount) { m_game.MoneyCounter(amount); }
bool Scene::is(FlagIndex flag) const { return m_game.m_state[flag] != kFalse; }
void Scene::set(FlagIndex flag) { m_game.m_state[flag] = kTrue; }
void Scene::clear(FlagIndex flag) { m_game.m_state[flag] = kFalse; }
void Scene::moveTo(std::int16_t location) { m_game.m_state.location = location; }
std::int16_t Scene::location() const { return m_game.m_state.location; }
void Scene::gameOver() { m_game.GameOver(); }

void Scene::showPasswordBox()
{
    m_game.m_window.txtPwd.visible = true;
    m_game.m_window.txtCon.visible = false;
}

void Scene::showCommandBox()
{
    m_game.m_window.txtPwd.visible = false;
    m_game.m_window.txtCon.visible = true;
}

} // namespace tarnvale
