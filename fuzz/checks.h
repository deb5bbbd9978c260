#pragma once

// What must hold of the program after any input whatever, as a front-end
// sees it through the view, and the game's state record beside it: for the
// game fuzzer after every step, for the record fuzzer after every resume.
// A broken rule is said by `fail`, which does not return.

#include "engine/completion.h"
#include "engine/program.h"
#include "story/dictionary.h"
#include "story/flags.h"
#include "story/items.h"
#include "story/story.h"

#include "utf8.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvale::fuzz {

using Text = std::u16string;
using TextView = std::u16string_view;

// Every phrase that some rule accepts or the dictionary holds, each once, in
// the order of the rule tables and then the dictionary.
inline const std::vector<Text> &phrasePool()
{
    static const std::vector<Text> pool = [] {
        std::vector<Text> out;
        std::set<TextView> seen;
        const auto add = [&](TextView p) {
            if (seen.insert(p).second)
                out.emplace_back(p);
        };
        for (const RuleTable *table :
             {&story::streetRules(), &story::shopRules(), &story::alleyRules(), &story::cornerRules(),
              &story::roomRules(), &story::computerRules(), &story::everywhereRules()}) {
            for (const Rule &rule : *table)
                for (TextView p : rule.phrases)
                    add(p);
        }
        for (TextView p : story::kDictionary)
            add(p);
        return out;
    }();
    return pool;
}

// The checks' own loops and comparisons run over texts of up to megabytes
// after every step; they are kept out of the coverage the fuzzer steers by,
// which is the program's, and which would make each of their characters cost
// a call.
#define TARNVALE_UNCOVERED __attribute__((no_sanitize("coverage"), noinline))

TARNVALE_UNCOVERED inline bool sameText(TextView a, TextView b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

inline bool isLineBreak(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\u0085' || c == u'\u2028' || c == u'\u2029';
}

inline bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
inline bool isMark(char16_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF)
        || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// Whether a caret may stand at `pos`: not inside a pair, not before a mark.
inline bool isStop(TextView text, int pos)
{
    if (pos <= 0 || pos >= int(text.size()))
        return pos == 0 || pos == int(text.size());
    const char16_t at = text[std::size_t(pos)];
    return !(isLow(at) && isHigh(text[std::size_t(pos - 1)])) && !isMark(at);
}

// Whether a counter's label reads the value in plain decimal and then the word.
inline bool labelShows(TextView label, std::int16_t value, TextView word)
{
    const std::string digits = std::to_string(value);
    if (label.size() != digits.size() + word.size())
        return false;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (label[i] != char16_t(digits[i]))
            return false;
    }
    return label.substr(digits.size()) == word;
}

TARNVALE_UNCOVERED inline bool holdsLineBreak(TextView text)
{
    for (char16_t c : text) {
        if (isLineBreak(c))
            return true;
    }
    return false;
}

inline bool isItemName(TextView caption)
{
    using namespace story;
    return caption.empty() || caption == kEmptyPack || caption == kCheapCigs || caption == kDearCigs
        || caption == kBrick || caption == kBaldKey || caption == kDiskette;
}

using Fail = std::function<void(const std::string &)>;

// The rules of any program, whatever came before. `residue` is the last line
// submitted whole: a turn that overflowed leaves it in the box uncompleted.
TARNVALE_UNCOVERED inline void checkProgram(Program &program, TextView residue, const Fail &fail)
{
    const View &view = program.view();
    if (view.finished != program.finished())
        fail("the view and the program disagree on whether it has ended");
    if (view.finished) {
        if (!view.windows.empty())
            fail("an ended program shows a window");
        return;
    }
    if (view.windows.empty())
        fail("a running program shows no window");
    const bool dialog = view.find(Window::Dialog) != nullptr;
    const bool game = view.find(Window::Game) != nullptr;
    if (dialog == game)
        fail(dialog ? "the dialog and the game are open together" : "neither the dialog nor the game is open");
    if (game != view.inGame || game != (program.state() != nullptr))
        fail("a game without its window, or a window without its game");
    std::set<Window> seen;
    for (const WindowView &w : view.windows) {
        if (!seen.insert(w.window()).second)
            fail("a window is open twice");
        for (const WidgetView &widget : w.widgets) {
            if (widget.widget->kind == windows::Kind::Input) {
                if (holdsLineBreak(widget.text))
                    fail("a one-line box holds a line break");
                if (widget.start < 0 || widget.length < 0 || widget.start + widget.length > int(widget.text.size()))
                    fail("a selection lies outside its text");
                if (!isStop(widget.text, widget.start) || !isStop(widget.text, widget.start + widget.length))
                    fail("a caret or a selection splits a character");
            }
        }
    }
    if (dialog) {
        for (const windows::ChoicePair &pair : program.story().windows->choicePairs) {
            const WidgetView *a = view.find(Window::Dialog, program.story().windows->form(Window::Dialog).find(pair.first)->name);
            const WidgetView *b = view.find(Window::Dialog, program.story().windows->form(Window::Dialog).find(pair.second)->name);
            if (a->chosen == b->chosen)
                fail("both or neither of a pair of choices is chosen");
            if ((a->chosen ? a : b)->colour != windows::kWhite || (a->chosen ? b : a)->colour != windows::kUnchosen)
                fail("a choice is not shown as chosen or not");
        }
    }
    if (!game)
        return;

    const GameState &s = *program.state();
    const auto text = [&](std::string_view name) { return view.find(Window::Game, name)->text; };
    const WidgetView &con = *view.find(Window::Game, "txtCon");
    const WidgetView &pwd = *view.find(Window::Game, "txtPwd");
    const bool easy = program.settings().easyMode == kTrue;
    using namespace story;
    if (con.visible == pwd.visible)
        fail("the command and password boxes are both shown or both hidden");
    if (view.passwordShown != pwd.visible)
        fail("the view's password box is not the one shown");
    for (std::size_t i = 0; i < kFlagCount; ++i) {
        if (s.flags[i] != kTrue && s.flags[i] != kFalse)
            fail("flag " + std::to_string(i) + " holds " + std::to_string(s.flags[i]));
    }
    if (s.location < kStreet || s.location > kRoom)
        fail("location " + std::to_string(s.location));
    if (!labelShows(text("lblSteps"), s.moveCount, u" ходов") || !labelShows(text("lblPoints"), s.points, u" очков")
        || !labelShows(text("lblMoney"), s.money, u" руб."))
        fail("a counter's label is out of step with its counter");
    if (s.points < 0 || s.points % (easy ? 10 : 50) != 0)
        fail(std::to_string(s.points) + " points cannot be earned");
    if (s.money > 60 || (60 - s.money) % 10 != 0)
        fail(std::to_string(s.money) + " roubles cannot be left");
    std::vector<TextView> inventory;
    for (const std::string_view name : {"lblInv0", "lblInv1", "lblInv2", "lblInv3", "lblInv4", "lblInv5", "lblInv6",
                                        "lblInv7", "lblInv8", "lblInv9"}) {
        inventory.push_back(text(name));
        if (!isItemName(inventory.back()))
            fail("an inventory slot holds something that is no item");
    }
    const auto count = [&](TextView item) { return std::count(inventory.begin(), inventory.end(), item); };
    const auto is = [&s](FlagIndex f) { return s[f] == kTrue; };
    for (TextView item : {kEmptyPack, kCheapCigs, kDearCigs, kBrick, kBaldKey, kDiskette}) {
        if (count(item) > 1)
            fail("the inventory holds «" + test::toUtf8(item) + "» twice");
    }
    if (is(Flag::hasEmptyPack) != (count(kEmptyPack) == 1) || is(Flag::hasCheapCigs) != (count(kCheapCigs) == 1))
        fail("a pack's flag disagrees with the inventory");
    // The refilled pack's flag stays once it is handed over; the failed
    // throw ends the game with the brick gone and its flag left as it was;
    // the diskette's flag stays once it is in the drive.
    const bool over = !con.enabled;
    if (count(kDearCigs) == 1 && !is(Flag::hasDearCigs))
        fail("the refilled pack is held but hasDearCigs is False");
    if (count(kBrick) == 1 ? !is(Flag::hasBrick) : is(Flag::hasBrick) && !over)
        fail("hasBrick disagrees with the inventory");
    if (over && count(kBrick) == 1)
        fail("the game ended with the brick still held");
    if ((count(kDiskette) == 1) != (is(Flag::hasDiskette) && !is(Flag::disketteInserted)))
        fail("the diskette's flags disagree with the inventory");
    if (count(kBaldKey) == 1 && (!is(Flag::windowBroken) || is(Flag::keyNoticed)))
        fail("the key is held where it cannot have been taken");
    if (text("txtGame").empty())
        fail("the output box is empty");
    if (pwd.visible && (s.location != kRoom || !is(Flag::atComputer) || is(Flag::loggedIn)))
        fail("the password box is shown away from the locked computer");
    if (over && !text("txtGame").ends_with(u"Игра Окончена."))
        fail("the command box is dead but the game is not over");
    const WidgetView &prompt = *view.find(Window::Game, "Label1");
    if ((prompt.colour == windows::kGrey) != !(pwd.visible ? pwd.enabled : con.enabled))
        fail("the prompt's colour does not say whether the box takes input");
    if (text("lblDiff") != (easy ? u"простая игра" : u"сложная игра"))
        fail("difficulty label");
    if (view.listSize != (easy ? int(kDictionarySize) : 0))
        fail("the dictionary holds " + std::to_string(view.listSize) + " phrases");
    if (view.listIndex < -1 || view.listIndex >= view.listSize)
        fail("the dictionary's selection lies outside it");
    // The completion leaves the command box holding the phrase it selected,
    // or, having selected none, a text that begins no phrase (or a line
    // submitted whole that a turn which overflowed left there).
    if (easy && view.listIndex >= 0 && con.text != kDictionary[std::size_t(view.listIndex)])
        fail("the command box does not hold the selected dictionary phrase");
    if (easy && view.listIndex < 0 && !con.text.empty() && con.text != residue) {
        for (TextView p : kDictionary) {
            if (startsWithFolded(p, con.text))
                fail("the command box begins a phrase but was not completed");
        }
    }
}

// Everything a player can see or use of a program, a line for each window,
// widget and field, to tell two programs apart. (How often a window was
// brought up, and which takes the keyboard, is no matter here: it only tells
// a front-end when to raise it and where to put the focus.)
TARNVALE_UNCOVERED inline Text observed(Program &program)
{
    const View &v = program.view();
    Text out;
    const auto number = [&out](long long n) {
        char16_t digits[24];
        char16_t *at = digits + 24;
        *--at = u' ';
        const bool negative = n < 0;
        unsigned long long u = negative ? 0ull - (unsigned long long)n : (unsigned long long)n;
        do {
            *--at = char16_t(u'0' + u % 10);
            u /= 10;
        } while (u != 0);
        if (negative)
            *--at = u'-';
        out.append(at, digits + 24);
    };
    const auto ascii = [&out](std::string_view word) {
        for (const char c : word)
            out += char16_t(c);
        out += u' ';
    };
    ascii(v.finished ? "finished" : "running");
    out += u'\n';
    for (const WindowView &w : v.windows) {
        ascii(w.form->name);
        out += u'\n';
        for (const WidgetView &widget : w.widgets) {
            ascii(widget.widget->name);
            for (const long long n : {(long long)widget.colour.r, (long long)widget.colour.g, (long long)widget.colour.b,
                                      (long long)widget.visible, (long long)widget.enabled, (long long)widget.chosen,
                                      (long long)widget.start, (long long)widget.length})
                number(n);
            out += widget.text;
            out += u'\n';
        }
    }
    if (v.inGame) {
        ascii("game");
        for (const long long n : {(long long)v.turns, (long long)v.passwordShown, (long long)v.listIndex,
                                  (long long)v.listSize})
            number(n);
        out += u'\n';
        out += v.reply;
        out += u"\nnews ";
        out += v.news;
        out += u"\nstate ";
        const GameState &s = *program.state();
        for (const long long n : {(long long)s.moveCount, (long long)s.points, (long long)s.money, (long long)s.location})
            number(n);
        for (const Bool16 f : s.flags)
            number(f);
        out += u'\n';
    }
    ascii("settings");
    number(program.settings().easyMode);
    number(program.settings().musicOn);
    return out;
}

// The first line where two observations differ, or nothing when they agree.
TARNVALE_UNCOVERED inline std::string firstDifference(TextView a, TextView b)
{
    if (sameText(a, b))
        return {};
    std::size_t line = 0;
    for (;;) {
        const std::size_t ea = std::min(a.find(u'\n'), a.size());
        const std::size_t eb = std::min(b.find(u'\n'), b.size());
        if (a.substr(0, ea) != b.substr(0, eb))
            return "line " + std::to_string(line) + ": «" + test::toUtf8(a.substr(0, std::min<std::size_t>(ea, 200)))
                 + "» against «" + test::toUtf8(b.substr(0, std::min<std::size_t>(eb, 200))) + "»";
        if (a.size() == ea && b.size() == eb)
            return {};
        a.remove_prefix(std::min(a.size(), ea + 1));
        b.remove_prefix(std::min(b.size(), eb + 1));
        ++line;
    }
}

// Whether two programs show the same, as observed() sees them, compared in
// place: nothing when they do, else observed()'s first difference.
TARNVALE_UNCOVERED inline std::string differenceBetween(Program &a, Program &b)
{
    const View &x = a.view();
    const View &y = b.view();
    bool same = x.finished == y.finished && x.windows.size() == y.windows.size() && x.inGame == y.inGame
                && a.settings().easyMode == b.settings().easyMode && a.settings().musicOn == b.settings().musicOn;
    for (std::size_t i = 0; same && i < x.windows.size(); ++i) {
        const WindowView &v = x.windows[i];
        const WindowView &w = y.windows[i];
        same = v.form == w.form;
        for (std::size_t k = 0; same && k < v.widgets.size(); ++k) {
            const WidgetView &p = v.widgets[k];
            const WidgetView &q = w.widgets[k];
            same = sameText(p.text, q.text) && p.colour == q.colour && p.visible == q.visible && p.enabled == q.enabled
                   && p.chosen == q.chosen && p.start == q.start && p.length == q.length;
        }
    }
    if (same && x.inGame)
        same = x.turns == y.turns && sameText(x.reply, y.reply) && sameText(x.news, y.news) && x.passwordShown == y.passwordShown
               && x.listIndex == y.listIndex && x.listSize == y.listSize && *a.state() == *b.state();
    return same ? std::string() : firstDifference(observed(a), observed(b));
}

} // namespace tarnvale::fuzz
