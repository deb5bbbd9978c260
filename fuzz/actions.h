#pragma once

// The byte format the game fuzzer reads: a sequence of actions, each an
// operation byte followed by its operands, each what a player (or a
// front-end on the player's behalf) gives the program through its one input.
// Every byte string is a valid input; a missing operand reads as 0 and the
// input ends where its bytes end.
//
//   op                  operands
//   Start               u8 bits: bit 0 easy game, bit 1 music: a fresh program,
//                       the dialog's choices, "начать"
//   Press               u8 window (mod 4), u8 control (mod 12), u8 how: bit 0
//                       by the mouse, the rest the milliseconds since the last
//                       action; any window with any control, its own or not
//   Shown               u8 window: the front-end saw it come up
//   Close               u8 window: closed from outside
//   Key                 u8 k: Enter, Esc, Up, Backspace, Delete, Left, Right,
//                       Home, End (k mod 9)
//   Type                u8 n, n bytes of UTF-8 typed one character at a time
//   TypePhrase          u16 index, u8 count: the first count characters of a
//                       phrase typed one at a time
//   TypeUtf16           u8 n, 2n bytes: n UTF-16 units typed in one go (lone
//                       surrogates, line breaks and marks included)
//   Edit                u8 kind, u16 at, u8 n, 2n bytes of UTF-16, u8 caret: the
//                       box's own edit as a widget reports it: the text with
//                       the units inserted at `at` (kind 0), or with n units
//                       from `at` deleted (kind 1), or replaced by them
//                       (kind 2), the caret `caret` units from the edit's end
//                       back (255: anywhere in the text, u16 follows)
//   Select              u32 start, u32 length: in the visible box (huge
//                       numbers included)
//   Paste               u8 n, 2n bytes of UTF-16, u8 e: the units repeated e
//                       mod 8 + 1 times (e = 255: 4096 times, a megabyte, twice
//                       per input at most)
//   Line                u8 n, n bytes of UTF-8: a whole line submitted as Enter
//                       would (the line mode's way)
//   LinePhrase          u16 index: a phrase of the story submitted whole
//   HoldEnter           u8 n: Enter held down for n mod 32 + 1 presses (n =
//                       255: a u16 count follows, up to 40000)
//   Repeat              u8 k, u8 t: the last k mod 8 + 1 actions again, t mod 16
//                       + 1 times (t = 255: a u16 count follows, up to 4096);
//                       a repeat is not itself repeated
//   Reload              none: the program replaced by the resume of its own
//                       record, as a page reloaded
//   NoMemory            u8 n: the n-th allocation of the next action fails
//
// Multi-byte numbers are little-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnvale::fuzz {

enum Op : std::uint8_t {
    Start,
    Press,
    Shown,
    Close,
    Key,
    Type,
    TypePhrase,
    TypeUtf16,
    Edit,
    Select,
    Paste,
    Line,
    LinePhrase,
    HoldEnter,
    Repeat,
    Reload,
    NoMemory,
    OpCount
};

enum KeyChoice : std::uint8_t { Enter, Esc, Up, Backspace, Delete, Left, Right, Home, End, KeyChoices };
// An operand byte of 255 asks for the long form of a count.
inline constexpr unsigned kLong = 255;
inline constexpr unsigned kHugePaste = 4096;   // repeats: up to a megabyte of UTF-16
inline constexpr unsigned kMaxHold = 40000;    // enough to take the moves past their limit
inline constexpr unsigned kMaxRepeat = 4096;
inline constexpr unsigned kMaxRepeatActions = 8;

// Appends actions to an input, for seeds.
class Encoder {
public:
    const std::string &bytes() const { return m_bytes; }

    Encoder &op(Op o) { return byte(o); }
    Encoder &byte(unsigned v) { m_bytes.push_back(char(std::uint8_t(v))); return *this; }
    Encoder &u16(unsigned v) { return byte(v & 0xff).byte((v >> 8) & 0xff); }
    Encoder &u32(unsigned v) { return u16(v & 0xffff).u16(v >> 16); }

    Encoder &start(bool easy, bool music) { return op(Start).byte((easy ? 1u : 0u) | (music ? 2u : 0u)); }
    // A button pressed from the keyboard, `ms` after the last action.
    Encoder &press(unsigned window, unsigned control, unsigned ms = 0) { return op(Press).byte(window).byte(control).byte(ms << 1); }
    // Splits longer text into several pieces where the operation allows it.
    Encoder &line(std::string_view utf8)
    {
        op(Line).byte(unsigned(utf8.size() > 255 ? 255 : utf8.size()));
        m_bytes.append(utf8.substr(0, 255));
        return *this;
    }
    Encoder &type(std::string_view utf8)
    {
        while (!utf8.empty()) {
            std::size_t n = utf8.size() > 255 ? 255 : utf8.size();
            // Never cut a UTF-8 sequence in two.
            while (n < utf8.size() && n > 0 && (std::uint8_t(utf8[n]) & 0xc0) == 0x80)
                --n;
            op(Type).byte(unsigned(n));
            m_bytes.append(utf8.substr(0, n));
            utf8.remove_prefix(n);
        }
        return *this;
    }
    Encoder &key(KeyChoice k) { return op(Key).byte(k); }
    Encoder &holdEnter(unsigned times)
    {
        return times <= 32 ? op(HoldEnter).byte(times - 1) : op(HoldEnter).byte(kLong).u16(times);
    }
    Encoder &repeat(unsigned actions, unsigned times)
    {
        op(Repeat).byte(actions - 1);
        return times <= 16 ? byte(times - 1) : byte(kLong).u16(times - 1);
    }

private:
    std::string m_bytes;
};

} // namespace tarnvale::fuzz
