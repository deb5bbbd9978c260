#pragma once

#include <QString>

namespace tarnvale::test {

// The escapes a transcript may use in its values: \s space (for trailing
// blanks), \t, \r, \n, \0, \\ backslash, \uXXXX any UTF-16 unit.
inline QString unescapeTranscript(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c != u'\\' || i + 1 == s.size()) {
            out.append(c);
            continue;
        }
        const QChar e = s.at(++i);
        switch (e.unicode()) {
        case u's': out.append(u' '); break;
        case u't': out.append(u'\t'); break;
        case u'r': out.append(u'\r'); break;
        case u'n': out.append(u'\n'); break;
        case u'0': out.append(QChar(0)); break;
        case u'u':
            out.append(QChar(char16_t(s.mid(i + 1, 4).toUShort(nullptr, 16))));
            i += 4;
            break;
        default: out.append(e); break;
        }
    }
    return out;
}

} // namespace tarnvale::test
