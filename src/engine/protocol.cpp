#include "engine/protocol.h"

#include "engine/json.h"
#include "engine/rules.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace tarnvale {
namespace {

constexpr std::string_view kKeyNames[] = {"Enter", "Escape", "Up", "Backspace", "Delete", "Left", "Right", "Home", "End"};

std::optional<Key> keyNamed(std::u16string_view name)
{
    for (std::size_t i = 0; i < std::size(kKeyNames); ++i) {
        if (json::toUtf8(name) == kKeyNames[i])
            return Key(i);
    }
    return std::nullopt;
}

std::string colourText(windows::Colour c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "#";
    for (const std::uint8_t part : {c.r, c.g, c.b}) {
        out += kHex[part >> 4];
        out += kHex[part & 0xF];
    }
    return out;
}

std::string widgetJson(const WidgetView &w)
{
    json::Writer out;
    out.beginObject();
    out.key("text").value(w.text);
    out.key("colour").value(colourText(w.colour));
    out.key("visible").value(w.visible);
    out.key("enabled").value(w.enabled);
    if (w.widget->kind == windows::Kind::Choice)
        out.key("chosen").value(w.chosen);
    if (w.widget->kind == windows::Kind::Input)
        out.key("start").value(w.start).key("length").value(w.length);
    if (w.widget->kind == windows::Kind::Counter || w.widget->kind == windows::Kind::InventorySlot)
        out.key("spoken").value(std::u16string_view(w.spokenName()));
    out.endObject();
    return out.take();
}

// A whole number from a member, within the range a box or a clock needs.
std::optional<long long> wholeNumber(const json::Value *v)
{
    if (!v || !v->isNumber())
        return std::nullopt;
    return static_cast<long long>(std::clamp(v->number, -1e15, 1e15));
}

int boxNumber(const json::Value *v)
{
    return int(std::clamp<long long>(wholeNumber(v).value_or(0), -(1ll << 30), 1ll << 30));
}

std::optional<Box> boxOf(const json::Value *v)
{
    if (!v || v->type != json::Value::Type::Array || v->items.size() != 4)
        return std::nullopt;
    int n[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (!v->items[i].isNumber())
            return std::nullopt;
        n[i] = boxNumber(&v->items[i]);
    }
    return Box{n[0], n[1], n[2], n[3]};
}

std::string error(std::string_view why)
{
    json::Writer out;
    out.beginObject().key("error").value(why).endObject();
    return out.take();
}

} // namespace

Protocol::Protocol(const Story &story, std::function<void()> launchMusic, std::function<Millis()> now)
    : m_now(std::move(now)),
      m_program(m_settings, story, [this, launch = std::move(launchMusic)] {
          ++m_launches;
          if (launch)
              launch();
      })
{
}

std::string Protocol::changes(bool whole, const char *extraKey, const std::string &extra)
{
    const View &view = m_program.view();
    if (whole) {
        m_sent.clear();
        m_sentOpen.clear();
    }
    json::Writer out;
    out.beginObject();
    out.key("generation").value(view.generation);
    if (whole)
        out.key("full").value(true);
    // Which windows are open, in order, always: what is not open is closed.
    json::Writer open;
    open.beginArray();
    for (const WindowView &w : view.windows)
        open.value(w.form->name);
    open.endArray();
    out.key("open").raw(open.text());
    out.key("finished").value(view.finished);
    // A window that closed is forgotten: when it opens again all of it goes out.
    std::set<std::string> openNames;
    for (const WindowView &w : view.windows)
        openNames.insert(std::string(w.form->name));
    for (auto it = m_sent.begin(); it != m_sent.end();) {
        const std::string owner = it->first.substr(0, it->first.find('/'));
        it = owner != "game" && !openNames.count(owner) ? m_sent.erase(it) : std::next(it);
    }
    // Sends `json` under `key` when it differs from what was sent for `id`.
    const auto fresh = [this](const std::string &id, std::string json) -> std::optional<std::string> {
        std::string &sent = m_sent[id];
        if (sent == json)
            return std::nullopt;
        sent = json;
        return json;
    };
    out.key("windows").beginObject();
    for (const WindowView &w : view.windows) {
        const std::string name(w.form->name);
        json::Writer window;
        window.beginObject();
        bool any = false;
        json::Writer meta;
        const std::u16string spoken = w.spokenDescription(*m_program.story().windows);
        meta.beginObject().key("raises").value(w.raises).key("keyboard").value(w.keyboard);
        meta.key("spoken").value(std::u16string_view(spoken)).endObject();
        if (fresh(name + "/", meta.text())) {
            window.key("raises").value(w.raises).key("keyboard").value(w.keyboard);
            window.key("spoken").value(std::u16string_view(spoken));
            any = true;
        }
        window.key("widgets").beginObject();
        for (const WidgetView &widget : w.widgets) {
            if (std::optional<std::string> changed = fresh(name + "/" + std::string(widget.widget->name), widgetJson(widget))) {
                window.key(widget.widget->name).raw(*changed);
                any = true;
            }
        }
        window.endObject().endObject();
        if (any)
            out.key(name).raw(window.text());
    }
    out.endObject();
    // The game's answers, for a screen reader.
    if (view.inGame) {
        json::Writer game;
        game.beginObject();
        bool any = false;
        const auto field = [&](const char *key, auto value) {
            json::Writer one;
            one.value(value);
            if (fresh(std::string("game/") + key, one.text())) {
                game.key(key).raw(one.text());
                any = true;
            }
        };
        field("turns", view.turns);
        field("answer", std::u16string_view(view.answer()));
        field("news", view.news);
        field("closing", view.closing);
        field("password", view.passwordShown);
        field("list", view.listIndex);
        game.endObject();
        if (any)
            out.key("game").raw(game.text());
    } else if (m_sent.count("game/turns")) {
        for (auto it = m_sent.begin(); it != m_sent.end();)
            it = it->first.starts_with("game/") ? m_sent.erase(it) : std::next(it);
        out.key("game").null();
    }
    if (extraKey)
        out.key(extraKey).raw(extra);
    out.endObject();
    return out.take();
}

std::string Protocol::answer(std::string_view input)
{
    const std::optional<json::Value> parsed = json::parse(input);
    if (!parsed || parsed->type != json::Value::Type::Object)
        return error("an input is one JSON object");
    const json::Value &in = *parsed;
    const std::optional<long long> given = wholeNumber(in.get("at"));
    const Millis at = given ? *given : (m_now ? m_now() : 0);
    const json::Value *by = in.get("by");
    const Program::By how = by && by->isString() && by->string == u"mouse" ? Program::By::Mouse : Program::By::Keyboard;
    const windows::Description &description = *m_program.story().windows;

    // The window a member names, by its name in the description.
    const auto windowOf = [&](const json::Value *v) -> std::optional<Window> {
        if (!v || !v->isString())
            return std::nullopt;
        const windows::Form *form = description.form(json::toUtf8(v->string));
        return form ? std::optional<Window>(form->window) : std::nullopt;
    };
    const auto text = [&](const char *name) -> const std::u16string * {
        const json::Value *v = in.get(name);
        return v && v->isString() ? &v->string : nullptr;
    };
    const auto taken = [&](bool ok) {
        json::Writer t;
        t.value(ok);
        return changes(false, "taken", t.text());
    };

    if (in.get("start")) {
        m_program.start(at);
        return changes(true);
    }
    if (const json::Value *press = in.get("press")) {
        // A button by its widget's name, in the window named, else in the
        // front-most open window that has it.
        if (!press->isString())
            return error("press names a button");
        const std::string button = json::toUtf8(press->string);
        std::optional<Window> window = windowOf(in.get("window"));
        if (in.get("window") && !window)
            return error("no such window");
        if (!window) {
            const View &view = m_program.view();
            for (auto w = view.windows.rbegin(); w != view.windows.rend() && !window; ++w) {
                if (const WidgetView *found = w->find(button); found && found->widget->control != Control::None)
                    window = w->window();
            }
        }
        const windows::Widget *widget = window ? description.form(*window).find(button) : nullptr;
        if (!widget || widget->control == Control::None)
            return error("no such button");
        return taken(m_program.press(*window, widget->control, at, how));
    }
    if (in.get("close")) {
        const std::optional<Window> window = windowOf(in.get("close"));
        if (!window)
            return error("no such window");
        m_program.close(*window);
        return changes(false);
    }
    if (in.get("shown")) {
        const std::optional<Window> window = windowOf(in.get("shown"));
        if (!window)
            return error("no such window");
        m_program.shown(*window, at);
        return changes(false);
    }
    if (const std::u16string *name = text("key")) {
        const std::optional<Key> key = keyNamed(*name);
        if (!key)
            return error("no such key");
        m_program.key(*key);
        return changes(false);
    }
    if (const std::u16string *typed = text("type")) {
        m_program.type(*typed);
        return changes(false);
    }
    if (const std::u16string *edited = text("edit")) {
        m_program.edit(*edited, boxNumber(in.get("caret")));
        return changes(false);
    }
    if (const json::Value *select = in.get("select")) {
        m_program.select(boxNumber(select), boxNumber(in.get("length")));
        return changes(false);
    }
    if (const std::u16string *pasted = text("paste")) {
        m_program.paste(*pasted);
        return changes(false);
    }
    if (const std::u16string *line = text("line"))
        return taken(m_program.submit(*line));
    if (in.get("view"))
        return changes(true);
    if (in.get("record")) {
        json::Writer record;
        record.value(m_program.record());
        return changes(false, "record", record.text());
    }
    if (const std::u16string *record = text("resume")) {
        const bool resumed = m_program.resume(*record, at);
        json::Writer note;
        note.value(resumed ? std::u16string_view{} : m_program.story().words.resumeFailed);
        std::string whole = changes(true, "note", note.text());
        whole.insert(whole.size() - 1, resumed ? ",\"resumed\":true" : ",\"resumed\":false");
        return whole;
    }
    if (const std::u16string *composing = text("completion")) {
        json::Writer completion;
        completion.value(m_program.completion(*composing));
        return changes(false, "completion", completion.text());
    }
    if (in.get("state")) {
        json::Writer state;
        if (const GameState *s = m_program.state()) {
            state.beginObject();
            state.key("location").value(int(s->location)).key("moves").value(int(s->moveCount));
            state.key("points").value(int(s->points)).key("money").value(int(s->money));
            state.key("flags").beginObject();
            const std::span<const std::string_view> names = m_program.story().flagNames;
            for (std::size_t i = 0; i < kFlagCount && i < names.size(); ++i)
                state.key(names[i]).value(s->flags[i] != kFalse);
            state.endObject();
            state.key("easy").value(m_program.settings().easyMode != kFalse);
            state.key("phrases").value(m_program.view().listSize);
            state.key("music").value(m_launches);
            state.endObject();
        } else {
            state.null();
        }
        return changes(false, "state", state.text());
    }
    if (in.get("takesPresses")) {
        // Whether a press of the mouse now would be taken, or held back as
        // the end of the double click that opened the window.
        const std::optional<Window> window = windowOf(in.get("takesPresses"));
        if (!window)
            return error("no such window");
        json::Writer takes;
        takes.value(m_program.takesPresses(*window, at));
        return changes(false, "takes", takes.text());
    }
    if (const json::Value *interval = in.get("doubleClick")) {
        m_program.setDoubleClickInterval(wholeNumber(interval).value_or(0));
        return changes(false);
    }
    if (const json::Value *place = in.get("place")) {
        // Where help or author of `size` opens beside `game`, inside
        // `screen`, away from the boxes `taken`: pure arithmetic.
        const std::optional<Box> game = boxOf(place->get("game"));
        const std::optional<Box> screen = boxOf(place->get("screen"));
        const json::Value *size = place->get("size");
        const json::Value *beside = place->get("taken");
        if (!game || !screen || !size || size->type != json::Value::Type::Array || size->items.size() != 2)
            return error("place needs game, screen and size");
        std::vector<Box> others;
        if (beside && beside->type == json::Value::Type::Array) {
            for (const json::Value &item : beside->items) {
                if (const std::optional<Box> b = boxOf(&item))
                    others.push_back(*b);
            }
        }
        const Box found = Program::placeBeside(*game, boxNumber(&size->items[0]), boxNumber(&size->items[1]), *screen,
                                            others, boxNumber(place->get("gap")));
        json::Writer where;
        where.beginArray().value(found.x).value(found.y).endArray();
        return changes(false, "place", where.text());
    }
    return error("unknown input");
}

} // namespace tarnvale
