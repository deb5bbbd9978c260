#include "engine/textbox.h"

#include <algorithm>

namespace tarnvale {

bool TextBox::setText(const QString &text)
{
    if (text == m_text)
        return false;
    m_text = text;
    m_selStart = 0;
    m_selLength = 0;
    return true;
}

void TextBox::setSelStart(int start)
{
    m_selStart = std::clamp(start, 0, int(m_text.size()));
    m_selLength = 0;
}

void TextBox::setSelLength(int length)
{
    m_selLength = std::clamp(length, 0, int(m_text.size()) - m_selStart);
}

bool TextBox::removeSelection()
{
    if (m_selLength == 0)
        return false;
    m_text.remove(m_selStart, m_selLength);
    m_selLength = 0;
    return true;
}

bool TextBox::type(QStringView typed)
{
    const bool removed = removeSelection();
    if (typed.isEmpty())
        return removed;
    m_text.insert(m_selStart, typed);
    m_selStart += int(typed.size());
    return true;
}

bool TextBox::backspace()
{
    if (removeSelection())
        return true;
    if (m_selStart == 0)
        return false;
    // Never leave half of a surrogate pair behind.
    int n = 1;
    if (m_selStart >= 2 && m_text.at(m_selStart - 1).isLowSurrogate()
        && m_text.at(m_selStart - 2).isHighSurrogate())
        n = 2;
    m_selStart -= n;
    m_text.remove(m_selStart, n);
    return true;
}

bool TextBox::deleteForward()
{
    if (removeSelection())
        return true;
    if (m_selStart >= m_text.size())
        return false;
    int n = 1;
    if (m_selStart + 1 < m_text.size() && m_text.at(m_selStart).isHighSurrogate()
        && m_text.at(m_selStart + 1).isLowSurrogate())
        n = 2;
    m_text.remove(m_selStart, n);
    return true;
}

bool TextBox::edit(const QString &text, int caret)
{
    const bool changed = text != m_text;
    m_text = text;
    m_selStart = std::clamp(caret, 0, int(m_text.size()));
    m_selLength = 0;
    return changed;
}

} // namespace tarnvale
