#include "tui/text.h"

#include <cwchar>

namespace tarnvale::tui {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The next code point of text from index i; `units` says how many code units it took.
char32_t nextCodePoint(std::u16string_view text, std::size_t i, int &units)
{
    const char16_t u = text[i];
    units = 1;
    if (isHigh(u) && i + 1 < text.size() && isLow(text[i + 1])) {
        units = 2;
        return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
    }
    if (isHigh(u) || isLow(u))
        return kReplacement;
    return u;
}

} // namespace

std::vector<Cell> toCells(std::u16string_view text)
{
    std::vector<Cell> cells;
    cells.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        int units = 0;
        char32_t cp = nextCodePoint(text, i, units);
        if (cp == u'\t')
            cp = u' ';
        int width = cp < 0x20 || (cp >= 0x7F && cp < 0xA0) ? -1 : ::wcwidth(wchar_t(cp));
        if (width == 0 && !cells.empty()) {
            // A combining mark: it shares the cell of the character before it.
            cells.back().units += units;
            i += std::size_t(units);
            continue;
        }
        if (width <= 0) {
            cp = kReplacement;
            width = 1;
        }
        cells.push_back(Cell{wchar_t(cp), width, int(i), units});
        i += std::size_t(units);
    }
    return cells;
}

int displayWidth(std::u16string_view text)
{
    int width = 0;
    for (const Cell &c : toCells(text))
        width += c.width;
    return width;
}

namespace {

// Writes one cell: its character, then any combining marks folded into it.
void appendCell(std::u16string_view text, const Cell &c, std::wstring &out)
{
    out.push_back(c.ch);
    int units = 0;
    std::size_t i = std::size_t(c.unit);
    nextCodePoint(text, i, units);
    for (i += std::size_t(units); i < std::size_t(c.unit + c.units); i += std::size_t(units))
        out.push_back(wchar_t(nextCodePoint(text, i, units)));
}

std::wstring cellsText(std::u16string_view text, const std::vector<Cell> &cells, std::size_t from,
                       std::size_t to)
{
    std::wstring out;
    for (std::size_t k = from; k < to; ++k)
        appendCell(text, cells[k], out);
    return out;
}

} // namespace

std::wstring cellText(std::u16string_view text, const Cell &cell)
{
    std::wstring out;
    appendCell(text, cell, out);
    return out;
}

std::wstring toWide(std::u16string_view text)
{
    const std::vector<Cell> cells = toCells(text);
    return cellsText(text, cells, 0, cells.size());
}

std::u16string fromWide(wchar_t ch)
{
    const auto cp = char32_t(ch);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
        const char32_t v = cp - 0x10000;
        return {char16_t(0xD800 + (v >> 10)), char16_t(0xDC00 + (v & 0x3FF))};
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {char16_t(kReplacement)};
    return {char16_t(cp)};
}

std::u16string fromUtf8(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const int length = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
        char32_t cp = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        bool valid = length > 0 && i + std::size_t(length) <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + std::size_t(k)]);
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and what lies beyond Unicode are no characters.
        valid = valid && !(length == 3 && cp < 0x800) && !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF))
                && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            out += char16_t(kReplacement);
            ++i;
            continue;
        }
        out += fromWide(wchar_t(cp));
        i += std::size_t(length);
    }
    return out;
}

namespace {

void wrapLine(std::u16string_view line, int width, std::vector<std::wstring> &out)
{
    const std::vector<Cell> cells = toCells(line);
    std::size_t start = 0;
    const std::size_t n = cells.size();
    if (n == 0) {
        out.emplace_back();
        return;
    }
    while (start < n) {
        // The longest run from `start` that fits.
        int used = 0;
        std::size_t end = start;
        while (end < n && used + cells[end].width <= width)
            used += cells[end++].width;
        if (end == n) {
            std::size_t trimmed = end;
            while (trimmed > start && cells[trimmed - 1].ch == L' ')
                --trimmed;
            out.push_back(cellsText(line, cells, start, trimmed));
            return;
        }
        // Break at the last blank within the run, or right after it when the
        // next character is a blank.
        std::size_t cut = end;
        if (cells[end].ch != L' ') {
            std::size_t b = end;
            while (b > start && cells[b - 1].ch != L' ')
                --b;
            if (b > start)
                cut = b;
        }
        if (cut == start)   // a character wider than the whole box
            cut = start + 1;
        std::size_t trimmed = cut;
        while (trimmed > start && cells[trimmed - 1].ch == L' ')
            --trimmed;
        out.push_back(cellsText(line, cells, start, trimmed));
        start = cut;
        while (start < n && cells[start].ch == L' ')
            ++start;
    }
}

} // namespace

std::vector<std::wstring> wrapText(std::u16string_view text, int width)
{
    std::vector<std::wstring> lines;
    if (width < 1)
        width = 1;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\r' && text[i] != u'\n')
            continue;
        wrapLine(text.substr(begin, i - begin), width, lines);
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        begin = i + 1;
    }
    return lines;
}

std::wstring fitWidth(std::u16string_view text, int width)
{
    const std::vector<Cell> cells = toCells(text);
    std::size_t end = 0;
    int used = 0;
    while (end < cells.size() && used + cells[end].width <= width)
        used += cells[end++].width;
    return cellsText(text, cells, 0, end);
}

std::wstring fitWidthMarked(std::u16string_view text, int width)
{
    if (width <= 0)
        return {};
    if (displayWidth(text) <= width)
        return fitWidth(text, width);
    return fitWidth(text, width - 1) + L'…';
}

} // namespace tarnvale::tui
