#pragma once

#include <string>
#include <string_view>

namespace tarnvale {

// The keys a player presses in an input box, as every front-end names them.
// The caret keys are for front-ends whose box is drawn by the game itself;
// a platform's text widget moves its caret on its own and reports where to.
enum class Key { Enter, Escape, Up, Backspace, Delete, Left, Right, Home, End };

// A single-line text box as the console relies on it: its text, the caret
// (selection start, in characters from 0), the selection length, visibility
// and enabled state.
//
// Two properties matter to the game: a change of the text by the program
// leaves the caret at 0 with nothing selected, and setting the text it
// already has is no change. Every method that can change the text returns
// whether it did, so that the owner can run its change handler.
class TextBox {
public:
    const std::u16string &text() const { return m_text; }
    int selStart() const { return m_selStart; }
    int selLength() const { return m_selLength; }
    bool visible = true;
    bool enabled = true;

    bool acceptsInput() const { return visible && enabled; }

    // A change made by the program.
    bool setText(std::u16string_view text);
    void setSelStart(int start);
    void setSelLength(int length);

    // The platform's own editing, as the player performs it.
    bool type(std::u16string_view typed);       // replaces the selection, caret after
    bool backspace();                   // the selection, or the character before the caret
    bool deleteForward();               // the selection, or the character after the caret
    bool edit(std::u16string_view text, int caret); // any other edit a real widget reports

    // Where the caret may stand: never inside a surrogate pair, nor between
    // a character and the combining marks that follow it. The stop before
    // and after `pos`, and `pos` itself when it is one or else the nearest
    // stop on that side.
    int previousStop(int pos) const;
    int nextStop(int pos) const;
    int stopAtOrBefore(int pos) const;
    int stopAtOrAfter(int pos) const;

    bool operator==(const TextBox &) const = default;

private:
    bool removeSelection();
    bool isStop(int pos) const;
    int size() const { return int(m_text.size()); }

    std::u16string m_text;
    int m_selStart = 0;
    int m_selLength = 0;
};

// The part of a text that a one-line box keeps: up to the first line break
// (CR, LF, VT, FF, NEL, LS, PS).
std::u16string_view firstLine(std::u16string_view text);

} // namespace tarnvale
