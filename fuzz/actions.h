#pragma once

// The byte format the game fuzzer reads: a sequence of actions, each an
// operation byte followed by its operands. Every byte string is a valid input;
// a missing operand reads as 0 and the input ends where its bytes end.
//
//   op                  operands
//   SubmitPhrase        u16 index into the phrase pool (taken modulo its size)
//   SubmitUtf8          u8 n, n bytes read as UTF-8 (bad bytes become U+FFFD)
//   SubmitUtf16         u8 n, 2n bytes: n UTF-16 units, lone surrogates included
//   Key                 u8 k: key k mod 5 (Enter, Esc, Up, Backspace, Delete)
//                       in box k / 5 mod 3 (the visible one, command, password)
//   Type                u8 box (as for Key), u8 n, n bytes of UTF-8 typed one
//                       character at a time
//   TypePhrase          u16 index, u8 count: the first count characters of a
//                       phrase typed one at a time into the visible box
//   Select              u8 box (bit 0: password box), u8 start, u8 length
//   PasteCon            u8 n, 2n bytes of UTF-16, u8 e: the units repeated
//                       e mod 8 + 1 times (e = 255: 4096 times, a megabyte,
//                       twice per input at most), pasted over the selection
//                       of the command box
//   NewGame             none
//   Settings            u8 bits: bit 0 easy game, bit 1 music; then a new game
//   HoldEnter           u8 n: Enter held down in the visible box for n mod 32 + 1
//                       presses (n = 255: a u16 count follows, up to 40000)
//   Repeat              u8 k, u8 t: the last k mod 8 + 1 actions again, t mod 16
//                       + 1 times (t = 255: a u16 count follows, up to 4096);
//                       a repeat is not itself repeated
//   CaretKey            u8 k: Left, Right, Home or End (k mod 4) in the visible box
//   PasteVisible        u8 n, 2n bytes of UTF-16: pasted into the visible box
//                       as a player pastes (Game::paste)
//   SelectVisible       u8 start, u8 length: selected in the visible box
//                       (Game::select)
//
// Multi-byte numbers are little-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnvale::fuzz {

enum Op : std::uint8_t {
    SubmitPhrase,
    SubmitUtf8,
    SubmitUtf16,
    Key,
    Type,
    TypePhrase,
    Select,
    PasteCon,
    NewGame,
    Settings,
    HoldEnter,
    Repeat,
    CaretKey,
    PasteVisible,
    SelectVisible,
    OpCount
};

enum KeyChoice : std::uint8_t { Enter, Esc, Up, Backspace, Delete, KeyChoices };
enum BoxChoice : std::uint8_t { VisibleBox, CommandBox, PasswordBox, BoxChoices };
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

    // Splits longer text into several pieces where the operation allows it.
    Encoder &submitUtf8(std::string_view utf8)
    {
        op(SubmitUtf8).byte(unsigned(utf8.size() > 255 ? 255 : utf8.size()));
        m_bytes.append(utf8.substr(0, 255));
        return *this;
    }
    Encoder &type(std::string_view utf8, BoxChoice box = VisibleBox)
    {
        while (!utf8.empty()) {
            std::size_t n = utf8.size() > 255 ? 255 : utf8.size();
            // Never cut a UTF-8 sequence in two.
            while (n < utf8.size() && n > 0 && (std::uint8_t(utf8[n]) & 0xc0) == 0x80)
                --n;
            op(Type).byte(box).byte(unsigned(n));
            m_bytes.append(utf8.substr(0, n));
            utf8.remove_prefix(n);
        }
        return *this;
    }
    Encoder &key(KeyChoice k, BoxChoice box = VisibleBox)
    {
        return op(Key).byte(unsigned(box) * KeyChoices + k);
    }
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
