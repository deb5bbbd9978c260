#pragma once

// The one place where the game's text meets Qt's: both keep UTF-16, so the
// conversion is a copy of the code units, nothing is re-encoded.

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace tarnvale {

// A view of the game's text, for comparing without a copy.
inline QStringView qtView(std::u16string_view text)
{
    return QStringView(text.data(), qsizetype(text.size()));
}

inline QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

// A view of Qt's text, for handing to the game.
inline std::u16string_view u16View(QStringView text)
{
    return std::u16string_view(text.utf16(), std::size_t(text.size()));
}

} // namespace tarnvale
