#pragma once

// The program's four windows, described once for every front-end: each
// widget with its name, kind, place in twips (1/1440 inch, 15 to a pixel at
// 96 dots per inch), caption, colour, what pressing it does and what screen
// readers call it. The desktop builds its widgets from this, the page is made
// from it, and the full-screen terminal takes its captions and order from it.

#include "engine/program.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tarnvale::windows {

struct Rect {
    int left, top, width, height;
};

struct Colour {
    std::uint8_t r, g, b;
    constexpr bool operator==(const Colour &) const = default;
};

inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kGrey{128, 128, 128};       // the marker, the last command, the note
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

extern const Form kGameWindow;
extern const Form kNewGameDialog;
extern const Form kHelpWindow;
extern const Form kAuthorWindow;
extern const ChoicePair kChoicePairs[2];

const Form &form(Window window);

// What screen readers call the inventory's ten slots together.
extern const std::u16string_view kInventoryName;

// What screen readers call every window's outline (`Shape1`).
extern const std::u16string_view kFrameAccessibleName;

// The widgets of the game window the engine writes, by the name it knows them by.
inline constexpr std::string_view kInventoryNames[] = {
    "lblInv0", "lblInv1", "lblInv2", "lblInv3", "lblInv4",
    "lblInv5", "lblInv6", "lblInv7", "lblInv8", "lblInv9",
};

// The game window's opening captions, which the engine starts every game
// from before its load rewrites them.
GameCaptions openingCaptions();

} // namespace tarnvale::windows
