#include "engine/program.h"

#include "engine/game.h"

#include <algorithm>
#include <vector>

namespace tarnvale {

Program::Program(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_settings(settings), m_story(story), m_launchMusic(std::move(launchMusic))
{
    // Room for every window, so that opening one never fails half done.
    m_order.reserve(kWindowCount);
}

Program::~Program() = default;

void Program::start(Millis now)
{
    // A fresh start, also after "выход": no game, no window but the dialog.
    changed();
    m_game.reset();
    m_open.fill(false);
    m_order.clear();
    m_finished = false;
    openDialog(now);
}

void Program::open(Window window, Millis now)
{
    m_open[index(window)] = true;
    ++m_raises[index(window)];
    m_appeared[index(window)] = now;
    std::erase(m_order, window);
    m_order.push_back(window);
}

void Program::openDialog(Millis now)
{
    // Every load of the dialog chooses a hard game with music.
    changed();
    m_settings.musicOn = kTrue;
    m_settings.easyMode = kFalse;
    open(Window::Dialog, now);
}

void Program::shown(Window window, Millis now)
{
    m_appeared[index(window)] = now;
}

bool Program::takesPresses(Window window, Millis now) const
{
    return now - m_appeared[index(window)] >= m_doubleClick;
}

bool Program::chosen(Control choice) const
{
    switch (choice) {
    case Control::Hard: return m_settings.easyMode == kFalse;
    case Control::Easy: return m_settings.easyMode != kFalse;
    case Control::MusicOn: return m_settings.musicOn != kFalse;
    case Control::MusicOff: return m_settings.musicOn == kFalse;
    default: return false;
    }
}

bool Program::press(Window window, Control control, Millis now, By by)
{
    // A press comes from a button of an open window, and does only what
    // that window's buttons do.
    if (m_finished || !isOpen(window) || control == Control::None || !m_story.windows->form(window).find(control))
        return false;
    if (by == By::Mouse && !takesPresses(window, now))
        return false;
    changed();
    switch (control) {
    case Control::None:
    case Control::Note:
        break;
    case Control::Hard: m_settings.easyMode = kFalse; break;
    case Control::Easy: m_settings.easyMode = kTrue; break;
    case Control::MusicOn: m_settings.musicOn = kTrue; break;
    case Control::MusicOff: m_settings.musicOn = kFalse; break;
    case Control::Start:
        // A fresh game with the choices the dialog shows; its load runs now.
        m_game = std::make_unique<Game>(m_settings, m_story, m_launchMusic);
        open(Window::Game, now);
        m_open[index(Window::Dialog)] = false;
        std::erase(m_order, Window::Dialog);
        break;
    case Control::New:
        // The game is discarded with its window; it lives on only until the
        // next one starts, for a front-end still tearing the window down.
        openDialog(now);
        m_open[index(Window::Game)] = false;
        std::erase(m_order, Window::Game);
        break;
    case Control::Help:
    case Control::Author: {
        const Window opened = control == Control::Help ? Window::Help : Window::Author;
        m_openedByKeyboard[index(opened)] = by == By::Keyboard;
        open(opened, now);
        break;
    }
    case Control::Exit:
        m_finished = true;
        m_open.fill(false);
        m_order.clear();
        break;
    case Control::Close:
        m_open[index(window)] = false;
        std::erase(m_order, window);
        break;
    }
    return true;
}

void Program::close(Window window)
{
    if (!isOpen(window))
        return;
    changed();
    // The dialog and the game are the program's main window in turn:
    // closing either (from a window manager) ends the program, as "выход"
    // does, rather than leave help or author alone without a game.
    if (window == Window::Dialog || window == Window::Game) {
        m_finished = true;
        m_open.fill(false);
        m_order.clear();
        return;
    }
    m_open[index(window)] = false;
    std::erase(m_order, window);
}

// --- the game's input box --------------------------------------------------

void Program::key(Key key)
{
    if (isOpen(Window::Game)) {
        changed();
        m_game->key(key);
    }
}

void Program::type(std::u16string_view text)
{
    if (isOpen(Window::Game)) {
        changed();
        m_game->type(text);
    }
}

void Program::edit(std::u16string_view text, int caret)
{
    if (isOpen(Window::Game)) {
        changed();
        m_game->edit(text, caret);
    }
}

void Program::select(int start, int length)
{
    if (isOpen(Window::Game)) {
        changed();
        m_game->select(start, length);
    }
}

void Program::paste(std::u16string_view text)
{
    if (isOpen(Window::Game)) {
        changed();
        m_game->paste(text);
    }
}

bool Program::submit(std::u16string_view line)
{
    if (!isOpen(Window::Game))
        return false;
    changed();
    return m_game->submit(line);
}

std::u16string_view Program::completion(std::u16string_view text) const
{
    return isOpen(Window::Game) ? m_game->completion(text) : std::u16string_view{};
}

const GameState *Program::state() const
{
    return isOpen(Window::Game) ? &m_game->state() : nullptr;
}

// --- the view ----------------------------------------------------------------

const WidgetView *WindowView::find(std::string_view name) const
{
    for (const WidgetView &w : widgets) {
        if (w.widget->name == name)
            return &w;
    }
    return nullptr;
}

std::u16string WindowView::spokenDescription(const windows::Description &description) const
{
    std::u16string told(form->description);
    for (const windows::ChoicePair &pair : description.choicePairs) {
        const WidgetView *heading = find(pair.heading);
        for (const WidgetView &w : widgets) {
            if (heading && w.chosen && (w.widget->control == pair.first || w.widget->control == pair.second))
                told.append(u" ").append(heading->text).append(u": ").append(w.text).append(u".");
        }
    }
    if (const windows::Widget *button = form->find(form->keyboardControl)) {
        std::u16string withKeyboard(description.keyboardOn);
        if (const std::size_t at = withKeyboard.find(u"%1"); at != std::u16string::npos)
            withKeyboard.replace(at, 2, button->spokenName());
        told.append(u" ").append(withKeyboard);
    }
    return told;
}

const WindowView *View::find(Window window) const
{
    for (const WindowView &w : windows) {
        if (w.window() == window)
            return &w;
    }
    return nullptr;
}

const WindowView *View::find(std::string_view formName) const
{
    for (const WindowView &w : windows) {
        if (w.form->name == formName)
            return &w;
    }
    return nullptr;
}

const WidgetView *View::find(Window window, std::string_view widgetName) const
{
    const WindowView *w = find(window);
    return w ? w->find(widgetName) : nullptr;
}

const WidgetView *View::visibleBox() const
{
    return inGame ? find(Window::Game, passwordShown ? "txtPwd" : "txtCon") : nullptr;
}

std::u16string View::answer() const
{
    std::u16string told(reply);
    if (!news.empty())
        told.append(u"\r\n").append(news);
    if (!closing.empty())
        told.append(u"\r\n").append(closing);
    return told;
}

std::u16string WidgetView::spokenName() const
{
    std::u16string name(widget->spokenName());
    if (text.empty())
        return name;
    if (widget->kind == windows::Kind::Counter)
        return name.append(u": ").append(text);
    if (widget->kind == windows::Kind::InventorySlot)
        return std::u16string(text).append(u", ").append(name);
    return name;
}

const View &Program::view()
{
    if (m_view.generation != m_generation)
        buildView();
    return m_view;
}

namespace {

// The game's own captions and boxes by the names of their widgets.
const std::u16string *gameCaption(const GameWindow &w, std::string_view name)
{
    if (name == "txtGame")
        return &w.txtGame;
    if (name == "lblAction")
        return &w.lblAction;
    if (name == "lblSteps")
        return &w.lblSteps;
    if (name == "lblMoney")
        return &w.lblMoney;
    if (name == "lblPoints")
        return &w.lblPoints;
    if (name == "lblDiff")
        return &w.lblDiff;
    if (name.starts_with("lblInv") && name.size() == 7 && name[6] >= '0' && name[6] <= '9')
        return &w.lblInv[std::size_t(name[6] - '0')];
    return nullptr;
}

} // namespace

void Program::buildView()
{
    View &v = m_view;
    v.generation = 0;   // until it is whole
    v.finished = m_finished;
    const Game *game = isOpen(Window::Game) ? m_game.get() : nullptr;
    v.inGame = game != nullptr;
    if (game) {
        const GameWindow &w = game->window();
        v.turns = game->turns();
        v.reply = w.txtGame;
        v.news = game->news();
        v.closing = w.txtCon.enabled ? std::u16string_view() : m_story.words.afterGameOver;
        v.passwordShown = game->passwordShown();
        v.listIndex = w.lstItemsIndex;
        v.listSize = w.lstItems.size();
    } else {
        v.turns = 0;
        v.reply = v.news = v.closing = {};
        v.passwordShown = false;
        v.listIndex = -1;
        v.listSize = 0;
    }
    // The windows are made again only when which are open has changed; their
    // widgets' values are filled in every time.
    const bool sameWindows = v.windows.size() == m_order.size()
                             && std::equal(v.windows.begin(), v.windows.end(), m_order.begin(),
                                           [](const WindowView &w, Window o) { return w.window() == o; });
    if (!sameWindows) {
        v.windows.clear();
        for (const Window window : m_order) {
            WindowView &made = v.windows.emplace_back();
            made.form = &m_story.windows->form(window);
            for (const windows::Widget &widget : made.form->widgets)
                made.widgets.push_back(WidgetView{&widget, widget.caption, widget.colour});
        }
    }
    for (WindowView &window : v.windows) {
        const Window which = window.window();
        window.raises = m_raises[index(which)];
        window.keyboard = which == Window::Dialog || which == Window::Game || m_openedByKeyboard[index(which)];
        for (WidgetView &widget : window.widgets) {
            const windows::Widget &d = *widget.widget;
            if (which == Window::Dialog && d.kind == windows::Kind::Choice) {
                widget.chosen = chosen(d.control);
                widget.colour = widget.chosen ? windows::kWhite : windows::kUnchosen;
            }
            if (which != Window::Game || !game)
                continue;
            const GameWindow &w = game->window();
            if (const std::u16string *caption = gameCaption(w, d.name)) {
                widget.text = *caption;
            } else if (d.kind == windows::Kind::Input) {
                const TextBox &box = d.name == "txtPwd" ? w.txtPwd : w.txtCon;
                widget.text = box.text();
                widget.visible = box.visible;
                widget.enabled = box.enabled;
                widget.start = box.selStart();
                widget.length = box.selLength();
            } else if (d.kind == windows::Kind::List) {
                widget.visible = false;
                widget.text = w.lstItemsIndex >= 0 ? w.lstItems[w.lstItemsIndex] : std::u16string_view{};
            } else if (d.kind == windows::Kind::Prompt) {
                // A box that takes no input looks it: its prompt goes grey.
                widget.colour = game->visibleBox().enabled ? d.colour : windows::kGrey;
            }
        }
    }
    v.generation = m_generation;
}

namespace {

long long area(const Box &a, const Box &b)
{
    const int w = std::min(a.right(), b.right()) - std::max(a.x, b.x);
    const int h = std::min(a.bottom(), b.bottom()) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? (long long)w * h : 0;
}

} // namespace

Box Program::placeBeside(const Box &game, int width, int height, const Box &screen,
                         std::span<const Box> taken, int gap)
{
    std::vector<Box> places;
    for (const int x : {game.right() + gap, game.x - gap - width}) {
        places.push_back({x, game.y, width, height});
        for (const Box &other : taken)
            places.push_back({x, other.bottom() + gap, width, height});
    }
    places.push_back({game.x, game.bottom() + gap, width, height});
    places.push_back({game.x, game.y - gap - height, width, height});

    // Each place kept on the screen; the first that covers least of the game,
    // then least of the other windows, wins.
    Box best{};
    long long bestGame = -1;
    long long bestOthers = 0;
    for (Box place : places) {
        if (!screen.empty()) {
            place.x = std::clamp(place.x, screen.x, std::max(screen.x, screen.right() - width));
            place.y = std::clamp(place.y, screen.y, std::max(screen.y, screen.bottom() - height));
        }
        const long long onGame = area(place, game);
        long long onOthers = 0;
        for (const Box &other : taken)
            onOthers += area(place, other);
        if (bestGame < 0 || onGame < bestGame || (onGame == bestGame && onOthers < bestOthers)) {
            best = place;
            bestGame = onGame;
            bestOthers = onOthers;
        }
    }
    return best;
}

} // namespace tarnvale
