#pragma once

// QCOMPARE for the game's standard strings against Qt's: the values are
// compared as they are and printed as Qt prints text when they differ.

#include "ui/qtstrings.h"

#include <QTest>

#include <string>
#include <string_view>

namespace QTest {

inline bool qCompare(const std::u16string &t1, const QString &t2, const char *actual,
                     const char *expected, const char *file, int line)
{
    return qCompare(tarnvale::toQString(t1), t2, actual, expected, file, line);
}

inline bool qCompare(const std::u16string &t1, std::u16string_view t2, const char *actual,
                     const char *expected, const char *file, int line)
{
    return qCompare(tarnvale::toQString(t1), tarnvale::toQString(t2), actual, expected, file, line);
}

inline bool qCompare(const std::u16string &t1, const std::u16string &t2, const char *actual,
                     const char *expected, const char *file, int line)
{
    return qCompare(tarnvale::toQString(t1), tarnvale::toQString(t2), actual, expected, file, line);
}

inline bool qCompare(const QString &t1, std::u16string_view t2, const char *actual,
                     const char *expected, const char *file, int line)
{
    return qCompare(t1, tarnvale::toQString(t2), actual, expected, file, line);
}

inline bool qCompare(const QString &t1, const std::u16string &t2, const char *actual,
                     const char *expected, const char *file, int line)
{
    return qCompare(t1, tarnvale::toQString(t2), actual, expected, file, line);
}

} // namespace QTest
