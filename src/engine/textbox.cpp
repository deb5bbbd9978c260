#include "engine/textbox.h"

#include <algorithm>

namespace tarnvale {
namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The combining marks of the Basic Multilingual Plane's combining blocks:
// they belong to the character before them.
bool isCombiningMark(char16_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF)
        || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

} // namespace

bool TextBox::setText(std::u16string_view text)
{
    if (text == m_text)
        return false;
    m_text.assign(text);
    m_selStart = 0;
    m_selLength = 0;
    return true;
}

void TextBox::setSelStart(int start)
{
    m_selStart = std::clamp(start, 0, size());
    m_selLength = 0;
}

void TextBox::setSelLength(int length)
{
    m_selLength = std::clamp(length, 0, size() - m_selStart);
}

bool TextBox::removeSelection()
{
    if (m_selLength == 0)
        return false;
    m_text.erase(std::size_t(m_selStart), std::size_t(m_selLength));
    m_selLength = 0;
    return true;
}

bool TextBox::type(std::u16string_view typed)
{
    if (typed.empty() && m_selLength == 0)
        return false;
    // One replacement, which changes nothing of the text if it fails.
    m_text.replace(std::size_t(m_selStart), std::size_t(m_selLength), typed);
    const int after = m_selStart + int(typed.size());
    m_selLength = 0;
    // Typed before a combining mark, the caret goes past the mark, which
    // now belongs to what was typed.
    m_selStart = stopAtOrAfter(after);
    return true;
}

bool TextBox::backspace()
{
    if (removeSelection())
        return true;
    if (m_selStart == 0)
        return false;
    // The whole character before the caret goes: both halves of a pair, a
    // letter with its marks.
    const int from = previousStop(m_selStart);
    m_text.erase(std::size_t(from), std::size_t(m_selStart - from));
    m_selStart = from;
    return true;
}

bool TextBox::deleteForward()
{
    if (removeSelection())
        return true;
    if (m_selStart >= size())
        return false;
    const int to = nextStop(m_selStart);
    m_text.erase(std::size_t(m_selStart), std::size_t(to - m_selStart));
    return true;
}

bool TextBox::edit(std::u16string_view text, int caret)
{
    const bool changed = text != m_text;
    if (changed)
        m_text.assign(text);
    m_selStart = stopAtOrBefore(std::clamp(caret, 0, size()));
    m_selLength = 0;
    return changed;
}

bool TextBox::isStop(int pos) const
{
    if (pos <= 0 || pos >= size())
        return true;
    const char16_t at = m_text[std::size_t(pos)];
    if (isLowSurrogate(at) && isHighSurrogate(m_text[std::size_t(pos - 1)]))
        return false;
    return !isCombiningMark(at);
}

int TextBox::stopAtOrBefore(int pos) const
{
    pos = std::clamp(pos, 0, size());
    while (!isStop(pos))
        --pos;
    return pos;
}

int TextBox::stopAtOrAfter(int pos) const
{
    pos = std::clamp(pos, 0, size());
    while (!isStop(pos))
        ++pos;
    return pos;
}

int TextBox::previousStop(int pos) const
{
    return pos <= 0 ? 0 : stopAtOrBefore(pos - 1);
}

int TextBox::nextStop(int pos) const
{
    return pos >= size() ? size() : stopAtOrAfter(pos + 1);
}

std::u16string_view firstLine(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
        case u'\r':
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\u0085':
        case u'\u2028':
        case u'\u2029':
            return text.substr(0, i);
        default:
            break;
        }
    }
    return text;
}

} // namespace tarnvale
