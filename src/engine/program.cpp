#include "engine/program.h"

#include <algorithm>
#include <vector>

namespace tarnvale {

Program::Program(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_settings(settings), m_story(story), m_launchMusic(std::move(launchMusic))
{
}

void Program::start(Millis now)
{
    openDialog(now);
}

void Program::open(Window window, Millis now)
{
    m_open[index(window)] = true;
    ++m_raises[index(window)];
    m_appeared[index(window)] = now;
}

void Program::openDialog(Millis now)
{
    // Every load of the dialog chooses a hard game with music.
    m_settings.musicOn = kTrue;
    m_settings.easyMode = kFalse;
    open(Window::Dialog, now);
}

void Program::appeared(Window window, Millis now)
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
    if (m_finished || !isOpen(window))
        return false;
    if (by == By::Mouse && !takesPresses(window, now))
        return false;
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
        close(Window::Dialog);
        break;
    case Control::New:
        openDialog(now);
        close(Window::Game);
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
        break;
    case Control::Close: close(window); break;
    }
    return true;
}

void Program::close(Window window)
{
    // A closed game is discarded; it lives on only until the next one
    // starts, for a front-end still tearing its window down.
    m_open[index(window)] = false;
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
