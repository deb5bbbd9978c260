// Plays the real story with whatever a player could do at the keyboard and
// checks, after every single step, what must hold in any game. The input is
// read as a sequence of actions (fuzz/actions.h). A violated rule prints what
// was wrong and the steps that led there, and aborts.
#include "actions.h"

#include "engine/completion.h"
#include "story/dictionary.h"
#include "engine/game.h"
#include "story/items.h"
#include "story/story.h"

#include "utf8.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace tarnvale;
using namespace tarnvale::story;
using namespace tarnvale::fuzz;
using test::fromUtf8;
using test::toUtf8;
using Text = std::u16string;
using View = std::u16string_view;

namespace {

// Every phrase that some rule accepts or the dictionary holds, each once, in
// the order of the rule tables and then the dictionary.
const std::vector<Text> &phrasePool()
{
    static const std::vector<Text> pool = [] {
        std::vector<Text> out;
        std::set<View> seen;
        const auto add = [&](View p) {
            if (seen.insert(p).second)
                out.emplace_back(p);
        };
        for (const RuleTable *table :
             {&story::streetRules(), &story::shopRules(), &story::alleyRules(),
              &story::cornerRules(), &story::roomRules(), &story::computerRules(),
              &story::everywhereRules()}) {
            for (const Rule &rule : *table)
                for (View p : rule.phrases)
                    add(p);
        }
        for (View p : kDictionary)
            add(p);
        return out;
    }();
    return pool;
}

bool isItemName(View caption)
{
    using namespace story;
    return caption.empty() || caption == kEmptyPack || caption == kCheapCigs
        || caption == kDearCigs || caption == kBrick || caption == kBaldKey
        || caption == kDiskette;
}

// Whether a counter's label reads the value in plain decimal and then the
// word. Checked after every step, so it allocates nothing.
bool labelShows(View label, std::int16_t value, View word)
{
    char16_t digits[8];
    int n = 0;
    int v = value < 0 ? -int(value) : int(value);
    do {
        digits[7 - n++] = char16_t(u'0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0)
        digits[7 - n++] = u'-';
    const View number(digits + 8 - n, std::size_t(n));
    return label.size() == number.size() + word.size() && label.substr(0, number.size()) == number
        && label.substr(number.size()) == word;
}

// Reads operands; a missing byte reads as 0.
class Reader {
public:
    Reader(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_pos >= m_size; }
    std::size_t pos() const { return m_pos; }
    void seek(std::size_t pos) { m_pos = pos; }
    unsigned u8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    unsigned u16() { const unsigned lo = u8(); return lo | (u8() << 8); }
    std::string bytes(std::size_t n)
    {
        n = std::min(n, m_size - std::min(m_pos, m_size));
        std::string out(reinterpret_cast<const char *>(m_data + m_pos), n);
        m_pos += n;
        return out;
    }
    Text utf16(std::size_t units)
    {
        Text out;
        out.reserve(units);
        for (std::size_t i = 0; i < units && !atEnd(); ++i)
            out += char16_t(u16());
        return out;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Steps checked over the whole run, reported when the fuzzer ends.
long g_stepsChecked = 0;

// Bounds the work one input may ask for, so that every run stays short.
constexpr long kStepBudget = 40000;

class Player {
public:
    Player()
    {
        m_settings.easyMode = kTrue;
        freshGame();
        m_freshEasy = m_game->window();
        m_settings.easyMode = kFalse;
        freshGame();
        m_freshHard = m_game->window();
        check("start");
    }

    void play(const std::uint8_t *data, std::size_t size)
    {
        Reader in(data, size);
        std::vector<std::pair<std::size_t, std::size_t>> done; // where each action's bytes lie
        while (!in.atEnd() && m_steps < kStepBudget) {
            const std::size_t start = in.pos();
            const unsigned op = in.u8() % OpCount;
            if (op == Repeat) {
                const std::size_t k = std::min<std::size_t>(in.u8() % kMaxRepeatActions + 1, done.size());
                unsigned times = in.u8();
                times = times == kLong ? in.u16() % kMaxRepeat + 1 : times % 16 + 1;
                const std::size_t resume = in.pos();
                for (unsigned t = 0; t < times && m_steps < kStepBudget; ++t) {
                    for (std::size_t i = done.size() - k; i < done.size(); ++i) {
                        in.seek(done[i].first);
                        perform(in, in.u8() % OpCount);
                    }
                }
                in.seek(resume);
                continue;
            }
            perform(in, op);
            done.emplace_back(start, in.pos());
        }
    }

private:
    // --- the actions ---------------------------------------------------------

    void perform(Reader &in, unsigned op)
    {
        switch (op) {
        case SubmitPhrase: {
            const std::vector<Text> &pool = phrasePool();
            submit(pool[in.u16() % pool.size()]);
            break;
        }
        case SubmitUtf8:
            submitLine(fromUtf8(in.bytes(in.u8())));
            break;
        case SubmitUtf16:
            submitLine(in.utf16(in.u8()));
            break;
        case fuzz::Key: {
            const unsigned k = in.u8();
            press(KeyChoice(k % KeyChoices), BoxChoice(k / KeyChoices % BoxChoices));
            break;
        }
        case Type: {
            const BoxChoice box = BoxChoice(in.u8() % BoxChoices);
            typeEach(fromUtf8(in.bytes(in.u8())), box);
            break;
        }
        case TypePhrase: {
            const std::vector<Text> &pool = phrasePool();
            const Text &phrase = pool[in.u16() % pool.size()];
            typeEach(View(phrase).substr(0, in.u8()), VisibleBox);
            break;
        }
        case Select: {
            const bool pwd = in.u8() & 1;
            const int start = int(in.u8());
            const int length = int(in.u8());
            step(pwd ? "select in the password box" : "select in the command box", {},
                 [&] { m_game->select(start, length); });
            break;
        }
        case PasteCon: {
            const Text unit = in.utf16(in.u8());
            const unsigned e = in.u8();
            // A megabyte is pasted at most twice per input: more says nothing
            // new and only slows the sanitizers' allocator down.
            const bool huge = e == kLong && m_hugePastes < 2;
            m_hugePastes += huge;
            Text text;
            for (unsigned n = huge ? kHugePaste : e % 8 + 1; n > 0; --n)
                text += unit;
            paste(text);
            break;
        }
        case NewGame:
            newGame("new game");
            break;
        case Settings: {
            const unsigned bits = in.u8();
            m_settings.easyMode = (bits & 1) ? kTrue : kFalse;
            m_settings.musicOn = (bits & 2) ? kTrue : kFalse;
            newGame("new game with other settings");
            break;
        }
        case HoldEnter: {
            unsigned n = in.u8();
            n = n == kLong ? in.u16() % (kMaxHold + 1) : n % 32 + 1;
            for (unsigned i = 0; i < n && m_steps < kStepBudget; ++i)
                press(Enter, VisibleBox);
            break;
        }
        case CaretKey: {
            // What a player does in the visible box: an edit, or nothing where it takes nothing.
            static constexpr tarnvale::Key kCaretKeys[] = {tarnvale::Key::Left, tarnvale::Key::Right,
                                                           tarnvale::Key::Home, tarnvale::Key::End};
            const tarnvale::Key key = kCaretKeys[in.u8() % 4];
            step("a caret key", {}, [&] { m_game->key(key); }, m_game->visibleBox().acceptsInput() ? Kind::Edit : Kind::Refused);
            checkCaretStops("a caret key");
            break;
        }
        case PasteVisible: {
            const Text text = in.utf16(in.u8());
            const bool hadBreak = Game::firstLine(m_game->visibleBox().text()).size() != m_game->visibleBox().text().size();
            step("paste into the visible box", text, [&] { m_game->paste(text); }, m_game->visibleBox().acceptsInput() ? Kind::Edit : Kind::Refused);
            if (!hadBreak && Game::firstLine(m_game->visibleBox().text()).size() != m_game->visibleBox().text().size())
                fail("a paste put a line break into the box");
            break;
        }
        case SelectVisible: {
            const int start = int(in.u8());
            const int length = int(in.u8());
            step("select in the visible box", {}, [&] { m_game->select(start, length); });
            checkCaretStops("a selection");
            break;
        }
        default:
            break;
        }
    }

    // Neither end of the visible box's selection stands inside a surrogate pair.
    void checkCaretStops(const char *what)
    {
        const TextBox &box = m_game->visibleBox();
        const auto inPair = [&box](int pos) {
            const std::u16string &t = box.text();
            return pos > 0 && pos < int(t.size()) && t[std::size_t(pos)] >= 0xDC00 && t[std::size_t(pos)] <= 0xDFFF
                && t[std::size_t(pos - 1)] >= 0xD800 && t[std::size_t(pos - 1)] <= 0xDBFF;
        };
        if (inPair(box.selStart()) || inPair(box.selStart() + box.selLength()))
            fail("after %s the caret stands inside a surrogate pair", what);
    }

    // A line submitted as the front-ends submit it: the visible box takes the
    // whole text (an easy game completes it), then Enter.
    void submit(View line)
    {
        const GameWindow &w = m_game->window();
        const bool pwd = w.txtPwd.visible;
        const TextBox &box = pwd ? w.txtPwd : w.txtCon;
        const Kind edit = box.acceptsInput() ? Kind::Edit : Kind::Refused;
        step("enter a line", line, [&] { m_game->edit(line, int(line.size())); }, edit);
        press(Enter, VisibleBox);
    }

    // A whole line handed to the game as the line-mode front-end hands it:
    // Game::submit, exactly as given, without the completion of typing.
    void submitLine(View line)
    {
        const GameWindow &w = m_game->window();
        const Kind kind = w.txtPwd.acceptsInput() ? Kind::PasswordEnter
                          : w.txtCon.acceptsInput() ? Kind::Turn
                                                    : Kind::Refused;
        bool taken = false;
        m_submitted = line;
        step("submit a line", line, [&] { taken = m_game->submit(line); }, kind);
        m_submitted.reset();
        if (taken != (kind != Kind::Refused))
            fail("Game::submit says the line was %s", taken ? "taken" : "refused");
    }

    // Keys reach the box on screen, whichever box they were aimed at.
    void press(KeyChoice key, BoxChoice)
    {
        static constexpr tarnvale::Key codes[KeyChoices] = {tarnvale::Key::Enter, tarnvale::Key::Escape,
                                                            tarnvale::Key::Up, tarnvale::Key::Backspace,
                                                            tarnvale::Key::Delete};
        const GameWindow &w = m_game->window();
        const bool pwd = w.txtPwd.visible;
        const TextBox &target = pwd ? w.txtPwd : w.txtCon;
        Kind kind = Kind::Edit;
        if (!target.acceptsInput())
            kind = Kind::Refused;
        else if (key == Enter)
            kind = pwd ? Kind::PasswordEnter : Kind::Turn;
        static const char *const conNames[KeyChoices] = {"Enter", "Esc", "Up", "Backspace", "Delete"};
        static const char *const pwdNames[KeyChoices] = {
            "Enter in the password box", "Esc in the password box", "Up in the password box",
            "Backspace in the password box", "Delete in the password box"};
        step(pwd ? pwdNames[key] : conNames[key], {}, [&] { m_game->key(codes[key]); }, kind);
        if (kind == Kind::Edit && key == Esc && !(pwd ? w.txtPwd : w.txtCon).text().empty())
            fail("Esc left text in the box");
    }

    void typeEach(View text, BoxChoice)
    {
        const auto high = [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; };
        const auto low = [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
        for (std::size_t i = 0; i < text.size() && m_steps < kStepBudget; ++i) {
            std::size_t n = 1;
            if (high(text[i]) && i + 1 < text.size() && low(text[i + 1]))
                n = 2;
            const View ch = text.substr(i, n);
            i += n - 1;
            const bool pwd = m_game->window().txtPwd.visible;
            step(pwd ? "type into the password box" : "type", ch, [&] { m_game->type(ch); },
                 m_game->visibleBox().acceptsInput() ? Kind::Edit : Kind::Refused);
        }
    }

    // What a text widget reports after a paste at its selection: its new text
    // and caret, which the game tells from typing.
    void paste(View text)
    {
        const TextBox &box = m_game->visibleBox();
        Text after = box.text();
        after.replace(std::size_t(box.selStart()), std::size_t(box.selLength()), text);
        const int caret = box.selStart() + int(text.size());
        step("paste into the visible box as an edit", text.substr(0, 40),
             [&] { m_game->edit(after, caret); },
             box.acceptsInput() ? Kind::Edit : Kind::Refused);
    }

    void freshGame()
    {
        m_game.reset();
        m_game = std::make_unique<Game>(m_settings, tarnvaleStory(), [this] { ++m_launches; });
    }

    void newGame(const char *what)
    {
        const int launches = m_launches;
        step(what, {}, [&] { freshGame(); }, Kind::NewGame);
        if (m_launches != launches + (m_settings.musicOn == kTrue ? 1 : 0))
            fail("the music was launched %d times for one game", m_launches - launches);
    }

    // --- the checks ----------------------------------------------------------

    enum class Kind {
        Edit,          // anything that is not a turn
        Turn,          // Enter in the command box, which takes it
        PasswordEnter, // Enter in the password box, which takes it
        Refused,       // the box does not take input: nothing may change
        NewGame,
    };

    template <typename F>
    void step(const char *what, View arg, F &&action, Kind kind = Kind::Edit)
    {
        m_trace[std::size_t(m_steps) % m_trace.size()] = {what, Text(arg.substr(0, 200))};
        ++m_steps;
        ++g_stepsChecked;
        if (m_verbose)
            printStep(what, arg);

        const GameState before = m_game->state();
        const GameWindow beforeWindow = m_game->window();
        action();
        const GameState &after = m_game->state();
        const GameWindow &w = m_game->window();

        switch (kind) {
        case Kind::Edit:
            if (after != before)
                fail("an edit changed the game state");
            break;
        case Kind::Refused:
            if (after != before || w != beforeWindow)
                fail("a box that takes no input changed the game");
            break;
        case Kind::PasswordEnter:
            if (after.moveCount != before.moveCount)
                fail("a password attempt counted as a move");
            if (w.lblAction != m_submitted.value_or(beforeWindow.txtPwd.text()))
                fail("the last command is not the password attempt");
            if (!w.txtPwd.text().empty())
                fail("the password box keeps the attempt");
            break;
        case Kind::Turn:
            checkTurn(before, beforeWindow);
            break;
        case Kind::NewGame:
            m_purchases = 0;
            m_moves = 0;
            if (w != (m_settings.easyMode == kTrue ? m_freshEasy : m_freshHard))
                fail("a new game does not show what the first one showed");
            if (after != GameState{0, 0, 60, kStreet, {}})
                fail("a new game does not start from the street with 60 roubles and no flags");
            break;
        }
        check(what);
    }

    void checkTurn(const GameState &before, const GameWindow &beforeWindow)
    {
        const GameState &after = m_game->state();
        const GameWindow &w = m_game->window();
        const bool undone = w.txtGame == kWords.overflow && after == before;
        if (undone) {
            GameWindow expected = beforeWindow;
            expected.txtGame = kWords.overflow;
            // A submitted line is in the box, as Enter found it, and no
            // dictionary phrase is selected for it.
            if (m_submitted) {
                expected.txtCon.edit(*m_submitted, int(m_submitted->size()));
                expected.lstItemsIndex = -1;
            }
            if (w != expected)
                fail("an overflowing turn changed more than the output box");
            const bool nearLimit = before.moveCount == std::numeric_limits<std::int16_t>::max()
                || before.points > std::numeric_limits<std::int16_t>::max() - 200
                || before.money < std::numeric_limits<std::int16_t>::min() + 10;
            if (!nearLimit)
                fail("a turn was undone with every counter far from its limit");
            return;
        }
        if (before.moveCount == std::numeric_limits<std::int16_t>::max())
            fail("the move past 32767 was not undone");
        ++m_moves;
        if (w.lblAction != m_submitted.value_or(beforeWindow.txtCon.text()))
            fail("the last command is not the submitted text");
        if (!w.txtCon.text().empty())
            fail("the command box was not emptied after Enter");
        if (before[Flag::hasCheapCigs] == kFalse && after[Flag::hasCheapCigs] != kFalse)
            ++m_purchases;
    }

    // What holds after every step, whatever came before.
    void check(const char *what)
    {
        const GameState &s = m_game->state();
        const GameWindow &w = m_game->window();
        const bool easy = m_settings.easyMode == kTrue;

        if (w.txtCon.visible == w.txtPwd.visible)
            fail("%s the command and password boxes are both %s", what, w.txtCon.visible ? "shown" : "hidden");
        for (std::size_t i = 0; i < kFlagCount; ++i) {
            if (s.flags[i] != kTrue && s.flags[i] != kFalse)
                fail("flag %zu holds %d", i, int(s.flags[i]));
        }
        if (s.location < kStreet || s.location > kRoom)
            fail("location %d", int(s.location));
        if (s.moveCount != m_moves)
            fail("%d moves counted, %d Enters taken", int(s.moveCount), int(m_moves));
        if (!labelShows(w.lblSteps, s.moveCount, u" ходов"))
            fail("moves label out of step");
        if (!labelShows(w.lblPoints, s.points, u" очков"))
            fail("points label out of step");
        if (!labelShows(w.lblMoney, s.money, u" руб."))
            fail("money label out of step");
        if (s.points < 0 || s.points % (easy ? 10 : 50) != 0)
            fail("%d points cannot be earned in a %s game", int(s.points), easy ? "easy" : "hard");
        if (s.money != 60 - 10 * m_purchases)
            fail("%d roubles after %d purchases", int(s.money), m_purchases);
        for (const Text &slot : w.lblInv) {
            if (!isItemName(slot))
                fail("an inventory slot holds something that is no item");
        }
        checkPossessions(s, w);
        if (w.txtGame.empty())
            fail("the output box is empty");
        for (const TextBox *box : {&w.txtCon, &w.txtPwd}) {
            if (box->selStart() < 0 || box->selLength() < 0
                || box->selStart() + box->selLength() > int(box->text().size()))
                fail("a selection lies outside its text");
        }
        if (w.txtPwd.visible
            && (s.location != kRoom || s.flags[Flag::atComputer] != kTrue
                || s.flags[Flag::loggedIn] != kFalse))
            fail("the password box is shown away from the locked computer");
        if (!w.txtCon.enabled && !w.txtGame.ends_with(u"Игра Окончена."))
            fail("the command box is dead but the game is not over");
        if (w.lblDiff != (easy ? u"простая игра" : u"сложная игра"))
            fail("difficulty label");
        if (w.lstItems.size() != (easy ? int(kDictionarySize) : 0))
            fail("the dictionary holds %lld phrases", static_cast<long long>(w.lstItems.size()));
        if (w.lstItemsIndex < -1 || w.lstItemsIndex >= w.lstItems.size())
            fail("the dictionary's selection lies outside it");
        // The completion leaves the command box holding the phrase it selected,
        // or, having selected none, a text that begins no phrase.
        if (easy && w.lstItemsIndex >= 0 && w.txtCon.text() != w.lstItems[w.lstItemsIndex])
            fail("the command box does not hold the selected dictionary phrase");
        // Game::submit puts a line in the box as it is, without completing
        // it: a turn that overflowed leaves it there so.
        if (m_submitted && w.txtCon.text() == *m_submitted)
            m_uncompleted = w.txtCon.text();
        if (easy && w.lstItemsIndex < 0 && !w.txtCon.text().empty() && w.txtCon.text() != m_uncompleted) {
            for (View p : w.lstItems) {
                if (startsWithFolded(p, w.txtCon.text()))
                    fail("the command box begins a phrase but was not completed");
            }
        }
    }

    // The flags that say what the player carries agree with the inventory,
    // and nothing is carried twice.
    void checkPossessions(const GameState &s, const GameWindow &w)
    {
        using namespace story;
        const auto count = [&w](View item) {
            return std::count_if(w.lblInv.begin(), w.lblInv.end(), [item](const Text &slot) { return slot == item; });
        };
        const auto is = [&s](FlagIndex f) { return s[f] == kTrue; };
        for (View item : {kEmptyPack, kCheapCigs, kDearCigs, kBrick, kBaldKey, kDiskette}) {
            if (count(item) > 1)
                fail("the inventory holds «%s» %d times", toUtf8(item).c_str(), int(count(item)));
        }
        if (is(Flag::hasEmptyPack) != (count(kEmptyPack) == 1))
            fail("hasEmptyPack is %d with %d empty packs held", int(s[Flag::hasEmptyPack]), int(count(kEmptyPack)));
        if (is(Flag::hasCheapCigs) != (count(kCheapCigs) == 1))
            fail("hasCheapCigs is %d with %d cheap packs held", int(s[Flag::hasCheapCigs]), int(count(kCheapCigs)));
        // The refilled pack's flag stays once the pack has been handed over.
        if (count(kDearCigs) == 1 && !is(Flag::hasDearCigs))
            fail("the refilled pack is held but hasDearCigs is False");
        // The failed throw ends the game with the brick gone and its flag
        // left as it was.
        const bool over = !w.txtCon.enabled;
        if (count(kBrick) == 1 ? !is(Flag::hasBrick) : is(Flag::hasBrick) && !over)
            fail("hasBrick is %d with %d bricks held", int(s[Flag::hasBrick]), int(count(kBrick)));
        if (over && count(kBrick) == 1)
            fail("the game ended with the brick still held");
        // The diskette's flag stays once it is in the drive.
        if ((count(kDiskette) == 1) != (is(Flag::hasDiskette) && !is(Flag::disketteInserted)))
            fail("%d diskettes held, hasDiskette %d, disketteInserted %d", int(count(kDiskette)),
                 int(s[Flag::hasDiskette]), int(s[Flag::disketteInserted]));
        if (count(kBaldKey) == 1 && (!is(Flag::windowBroken) || is(Flag::keyNoticed)))
            fail("the key is held with windowBroken %d and keyNoticed %d", int(s[Flag::windowBroken]),
                 int(s[Flag::keyNoticed]));
    }

    static void printStep(const char *what, View arg)
    {
        std::fprintf(stderr, "    %s", what);
        if (!arg.empty())
            std::fprintf(stderr, " «%s»%s (%zu)", toUtf8(arg.substr(0, 200)).c_str(),
                         arg.size() > 200 ? "..." : "", arg.size());
        std::fputc('\n', stderr);
    }

    [[noreturn]] void fail(const char *format, ...) __attribute__((format(printf, 2, 3)))
    {
        std::fputs("\n*** game rule broken: ", stderr);
        va_list args;
        va_start(args, format);
        std::vfprintf(stderr, format, args);
        va_end(args);
        std::fprintf(stderr, "\n*** %s game, %d moves, last steps:\n",
                     m_settings.easyMode == kTrue ? "easy" : "hard", int(m_game->state().moveCount));
        for (long i = std::max(0L, m_steps - long(m_trace.size())); i < m_steps; ++i) {
            const auto &[what, arg] = m_trace[std::size_t(i) % m_trace.size()];
            printStep(what, arg);
        }
        std::fprintf(stderr, "*** output box: %s\n", toUtf8(View(m_game->window().txtGame).substr(0, 300)).c_str());
        std::abort();
    }

    GameSettings m_settings;
    std::unique_ptr<Game> m_game;
    GameWindow m_freshHard;
    GameWindow m_freshEasy;
    int m_launches = 0;
    int m_purchases = 0;
    int m_moves = 0;
    long m_steps = 0;
    int m_hugePastes = 0;
    std::optional<View> m_submitted;   // the line of the submit under way
    Text m_uncompleted;                // a submitted line an overflow left in the box
    // TARNVALE_FUZZ_TRACE=1 prints every step (for replaying one input).
    const bool m_verbose = std::getenv("TARNVALE_FUZZ_TRACE") && std::atoi(std::getenv("TARNVALE_FUZZ_TRACE")) != 0;
    std::array<std::pair<const char *, Text>, 40> m_trace; // the last steps, for the report
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::atexit([] { std::fprintf(stderr, "game steps checked: %ld\n", g_stepsChecked); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Player player;
    player.play(data, size);
    return 0;
}
