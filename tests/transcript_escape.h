#pragma once

#include <string>
#include <string_view>

namespace tarnvale::test {

// The escapes a transcript may use in its values: \s space (for trailing
// blanks), \t, \r, \n, \0, \\ backslash, \uXXXX any UTF-16 unit.
inline std::u16string unescapeTranscript(std::u16string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c != u'\\' || i + 1 == s.size()) {
            out += c;
            continue;
        }
        const char16_t e = s[++i];
        switch (e) {
        case u's': out += u' '; break;
        case u't': out += u'\t'; break;
        case u'r': out += u'\r'; break;
        case u'n': out += u'\n'; break;
        case u'0': out += char16_t(0); break;
        case u'u': {
            char16_t unit = 0;
            for (std::size_t k = 0; k < 4 && i + 1 < s.size(); ++k) {
                const char16_t h = s[++i];
                const int digit = h >= u'0' && h <= u'9' ? h - u'0'
                                  : h >= u'a' && h <= u'f' ? h - u'a' + 10
                                  : h >= u'A' && h <= u'F' ? h - u'A' + 10 : 0;
                unit = char16_t(unit * 16 + digit);
            }
            out += unit;
            break;
        }
        default: out += e; break;
        }
    }
    return out;
}

} // namespace tarnvale::test
