#pragma once

// How the program's four windows are described, once for every front-end:
// each widget with its name, kind, place in twips, caption, colour, what
// pressing it does and what screen readers call it. The story holds the
// description (story/windows.cpp); the engine builds the view of the open
// windows from it, the desktop builds its widgets from it, the page is made
// from it, and the full-screen terminal takes its captions and order from it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarnvale {

// The program's four windows.
enum class Window { Dialog, Game, Help, Author };
inline constexpr std::size_t kWindowCount = 4;
inline constexpr std::array<Window, kWindowCount> kWindows = {Window::Dialog, Window::Game, Window::Help,
                                                              Window::Author};

// What pressing one of the windows' label buttons does.
enum class Control {
    None,
    Hard, Easy, MusicOn, MusicOff,   // the dialog's choices
    Note,                            // the note beside the music: nothing
    Start,                           // "начать"
    New, Author, Help,               // the game window's "новая", "автор", "помощь"
    Exit,                            // every "выход": the program ends at once
    Close,                           // "закрыть" in help and author
};

namespace windows {

// Positions are in twips (1/1440 inch): 15 to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
constexpr int pixels(int twips) { return twips / kTwipsPerPixel; }

// The gap in pixels between the game and a window opened beside it.
inline constexpr int kGapPixels = 8;
// Every text's face: bold, 13 pixels high (9.75 points at 96 dpi), its lines
// 16 pixels apart; the note beside the music is 12 pixels high (9 points).
inline constexpr int kTextPixels = 13;
inline constexpr int kNotePixels = 12;
inline constexpr int kLinePitchPixels = 16;

struct Rect {
    int left, top, width, height;
};

struct Colour {
    std::uint8_t r, g, b;
    constexpr bool operator==(const Colour &) const = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kGrey{128, 128, 128};       // the marker, the last command, the note, a dead prompt
inline constexpr Colour kUnchosen{170, 170, 170};   // the choice not taken in the dialog

enum class Kind {
    TitleStrip,    // the picture that drags its window
    Label,
    WrappedLabel,  // a label whose caption wraps at word boundaries
    Counter,       // a label whose caption the game rewrites (the counters, the last command)
    InventorySlot, // one of the ten inventory labels, slot 0 at the top
    Button,        // a flat label that works as a button, with the hand pointer
    Choice,        // one of a pair of dialog choices: a button that stays chosen
    Note,          // a grey note beside a choice: the hand pointer, but pressing does nothing
    Output,        // the read-only multi-line output box
    Input,         // a one-line input box (the command box, the password box over it)
    List,          // the hidden easy-game dictionary
    Separator,     // a horizontal white line
    Prompt,        // the prompt before the input boxes: grey while the box on screen takes no input
};

struct Widget {
    std::string_view name;     // the object name on the desktop, data-name in the page
    Kind kind;
    Rect rect;
    std::u16string_view caption;   // as the window opens
    Colour colour = kWhite;
    Control control = Control::None;   // what a press does
    std::u16string_view accessibleName = {};   // empty: the caption is the name
    std::u16string_view description = {};

    // The label buttons show the hand pointer.
    constexpr bool handPointer() const { return kind == Kind::Button || kind == Kind::Choice || kind == Kind::Note; }
    constexpr std::u16string_view spokenName() const { return accessibleName.empty() ? caption : accessibleName; }
};

struct Form {
    Window window;
    std::string_view name;
    std::u16string_view title;            // the window manager's caption
    std::u16string_view accessibleName;
    std::u16string_view description;
    int width, height;                    // the client area
    Rect outline;                         // the white frame (`Shape1`)
    std::span<const Widget> widgets;
    // The control that has the keyboard as the window comes up (none: the
    // game's input box has it).
    Control keyboardControl = Control::None;

    const Widget *find(std::string_view widgetName) const
    {
        for (const Widget &w : widgets) {
            if (w.name == widgetName)
                return &w;
        }
        return nullptr;
    }
    // The widget a press of `control` comes from.
    const Widget *find(Control control) const
    {
        for (const Widget &w : widgets) {
            if (w.control == control)
                return &w;
        }
        return nullptr;
    }
};

// The title strip runs along the top of every window, inside its outline's
// corner, as wide as the outline allows.
constexpr Rect titleStrip(const Form &form)
{
    return Rect{30, 30, form.width - 60, 255};
}

// One of the dialog's two pairs of choices: its heading and its two buttons.
struct ChoicePair {
    std::string_view heading;
    Control first, second;
};

// The four windows by Window, and the dialog's pairs of choices.
struct Description {
    std::array<const Form *, kWindowCount> forms;
    std::span<const ChoicePair> choicePairs;
    std::u16string_view inventoryName;   // what screen readers call the ten slots together
    std::u16string_view frameName;       // and every window's outline
    // Told after a dialog's description: the button with the keyboard, in
    // place of the %1.
    std::u16string_view keyboardOn;

    const Form &form(Window window) const { return *forms[std::size_t(window)]; }
    // The window of a name, or null.
    const Form *form(std::string_view name) const
    {
        for (const Form *f : forms) {
            if (f->name == name)
                return f;
        }
        return nullptr;
    }
};

} // namespace windows
} // namespace tarnvale
