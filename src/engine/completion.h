#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tarnvale {

// The completion's case-insensitive comparison folds letters as the Windows
// code page 1251 does: Latin A-Z onto a-z, Cyrillic А-Я onto а-я, and the
// other capital letters of that code page (Ё, Ђ, Ѓ, Є, Ѕ, І, Ї, Ј, Љ, Њ, Ћ,
// Ќ, Ў, Џ, Ґ) onto their small letters. Nothing else folds, whatever case
// Unicode gives it.
constexpr char16_t foldCase(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
    if (c >= u'А' && c <= u'Я')
        return char16_t(c + 0x20);
    if (c >= u'Ё' && c <= u'Џ' && c != u'Ѝ')   // U+0401..U+040F, but for U+040D
        return char16_t(c + 0x50);
    if (c == u'Ґ')
        return u'ґ';
    return c;
}

// Whether `text` begins with `prefix`, letters compared by foldCase().
bool startsWithFolded(std::u16string_view text, std::u16string_view prefix);

} // namespace tarnvale
