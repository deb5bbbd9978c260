#pragma once

// The game's UTF-16 text as terminal cells: code points, their widths on
// screen, and the output box's word wrapping.

#include <string>
#include <string_view>
#include <vector>

namespace tarnvale::tui {

// One character as the terminal shows it.
struct Cell {
    wchar_t ch;       // what is written; U+FFFD stands in for what cannot be shown
    int width;        // columns taken: 1 or 2 (combining marks are folded into `ch`'s cell)
    int unit;         // index of its first UTF-16 code unit in the source text
    int units;        // how many code units it came from (combining marks included)
};

// Splits text into cells. Control characters, lone surrogates and characters
// the terminal cannot measure become U+FFFD of width 1; a tab becomes a blank;
// combining marks join the character before them.
std::vector<Cell> toCells(std::u16string_view text);

int displayWidth(std::u16string_view text);

// One cell's text: its character and the combining marks folded into it.
std::wstring cellText(std::u16string_view text, const Cell &cell);

// The widest prefix of `text` that fits in `width` columns, ending in "…"
// when the text goes on beyond it.
std::wstring fitWidthMarked(std::u16string_view text, int width);

// The cells as a string for the terminal (combining marks kept after their base).
std::wstring toWide(std::u16string_view text);

// A code point typed at the keyboard, as UTF-16.
std::u16string fromWide(wchar_t ch);

// Bytes from the terminal, as UTF-16: each byte that is not part of a valid
// UTF-8 sequence becomes U+FFFD.
std::u16string fromUtf8(std::string_view bytes);

// Word-wraps the output box's text to `width` columns: CR LF, a lone CR or a
// lone LF ends a line; a line breaks at blanks where it can and inside a
// word only when the word alone is wider than the box. Blanks at a break are
// dropped. Each result line is at most `width` columns wide.
std::vector<std::wstring> wrapText(std::u16string_view text, int width);

// The widest prefix of `text` that fits in `width` columns.
std::wstring fitWidth(std::u16string_view text, int width);

} // namespace tarnvale::tui
