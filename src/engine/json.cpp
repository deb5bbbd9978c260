#include "engine/json.h"

#include <charconv>
#include <cmath>

namespace tarnvale::json {
namespace {

bool isHigh(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void appendEscape(std::string &out, char32_t unit)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 0xF];
}

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at `i`; returns the code point, or none for a
// byte that begins no valid sequence (then `i` steps over that byte only).
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t &i)
{
    const auto b = static_cast<unsigned char>(text[i]);
    const int length = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
    char32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
    bool valid = length > 0 && i + std::size_t(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
        valid = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
    }
    valid = valid && !(length == 3 && c < 0x800) && !(length == 4 && (c < 0x10000 || c > 0x10FFFF))
            && !(c >= 0xD800 && c <= 0xDFFF);
    if (!valid) {
        ++i;
        return std::nullopt;
    }
    i += std::size_t(length);
    return c;
}

void appendUtf16(std::u16string &out, char32_t c)
{
    if (c >= 0x10000) {
        c -= 0x10000;
        out += char16_t(0xD800 + (c >> 10));
        out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
        out += char16_t(c);
    }
}

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<Value> document()
    {
        Value v;
        if (!value(v, 0))
            return std::nullopt;
        blanks();
        if (m_at != m_text.size())
            return std::nullopt;
        return v;
    }

private:
    // Deeper than any input of the protocol nests; a hostile one goes no further.
    static constexpr int kMaxDepth = 32;

    void blanks()
    {
        while (m_at < m_text.size()
               && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool literal(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    bool value(Value &v, int depth)
    {
        if (depth > kMaxDepth)
            return false;
        blanks();
        if (m_at >= m_text.size())
            return false;
        switch (m_text[m_at]) {
        case '{': return object(v, depth);
        case '[': return array(v, depth);
        case '"': v.type = Value::Type::String; return string(v.string);
        case 't': v.type = Value::Type::Bool; v.boolean = true; return literal("true");
        case 'f': v.type = Value::Type::Bool; v.boolean = false; return literal("false");
        case 'n': v.type = Value::Type::Null; return literal("null");
        default: v.type = Value::Type::Number; return number(v.number);
        }
    }

    bool object(Value &v, int depth)
    {
        v.type = Value::Type::Object;
        ++m_at;
        blanks();
        if (m_at < m_text.size() && m_text[m_at] == '}') {
            ++m_at;
            return true;
        }
        for (;;) {
            blanks();
            std::u16string name;
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !string(name))
                return false;
            blanks();
            if (m_at >= m_text.size() || m_text[m_at] != ':')
                return false;
            ++m_at;
            Value member;
            if (!value(member, depth + 1))
                return false;
            v.names.push_back(toUtf8(name));
            v.members.push_back(std::move(member));
            blanks();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == '}') {
                ++m_at;
                return true;
            }
            return false;
        }
    }

    bool array(Value &v, int depth)
    {
        v.type = Value::Type::Array;
        ++m_at;
        blanks();
        if (m_at < m_text.size() && m_text[m_at] == ']') {
            ++m_at;
            return true;
        }
        for (;;) {
            Value item;
            if (!value(item, depth + 1))
                return false;
            v.items.push_back(std::move(item));
            blanks();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == ']') {
                ++m_at;
                return true;
            }
            return false;
        }
    }

    bool hex4(char32_t &unit)
    {
        if (m_at + 4 > m_text.size())
            return false;
        unsigned n = 0;
        const auto [end, error] = std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, n, 16);
        if (error != std::errc{} || end != m_text.data() + m_at + 4)
            return false;
        m_at += 4;
        unit = n;
        return true;
    }

    bool string(std::u16string &out)
    {
        ++m_at;   // the opening quote
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '"') {
                ++m_at;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                if (const std::optional<char32_t> cp = decodeUtf8(m_text, m_at))
                    appendUtf16(out, *cp);
                else
                    out += kReplacement;
                continue;
            }
            if (++m_at >= m_text.size())
                return false;
            switch (m_text[m_at++]) {
            case '"': out += u'"'; break;
            case '\\': out += u'\\'; break;
            case '/': out += u'/'; break;
            case 'b': out += u'\b'; break;
            case 'f': out += u'\f'; break;
            case 'n': out += u'\n'; break;
            case 'r': out += u'\r'; break;
            case 't': out += u'\t'; break;
            case 'u': {
                // Each escape is one code unit: a pair written as two escapes
                // comes back as the pair, a lone half as itself.
                char32_t unit = 0;
                if (!hex4(unit))
                    return false;
                out += char16_t(unit);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    // A number as JSON writes it: -?digits(.digits)?([eE][+-]?digits)?, read
    // by hand (the C library's reading follows the locale's decimal point).
    bool digits(double &into, int *count = nullptr)
    {
        const std::size_t from = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            into = into * 10 + (m_text[m_at] - '0');
            ++m_at;
        }
        if (count)
            *count = int(m_at - from);
        return m_at > from;
    }

    bool number(double &n)
    {
        const bool negative = m_at < m_text.size() && m_text[m_at] == '-';
        if (negative)
            ++m_at;
        n = 0;
        if (!digits(n))
            return false;
        if (m_at < m_text.size() && m_text[m_at] == '.') {
            ++m_at;
            double fraction = 0;
            int places = 0;
            if (!digits(fraction, &places))
                return false;
            n += fraction / std::pow(10.0, places);
        }
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            ++m_at;
            const bool down = m_at < m_text.size() && m_text[m_at] == '-';
            if (m_at < m_text.size() && (m_text[m_at] == '-' || m_text[m_at] == '+'))
                ++m_at;
            double exponent = 0;
            if (!digits(exponent))
                return false;
            n *= std::pow(10.0, down ? -exponent : exponent);
        }
        if (negative)
            n = -n;
        return std::isfinite(n);
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHigh(c) && i + 1 < text.size() && isLow(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHigh(c) || isLow(c)) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string fromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::optional<char32_t> c = decodeUtf8(text, i))
            appendUtf16(out, *c);
        else
            out += kReplacement;
    }
    return out;
}

// --- the writer ----------------------------------------------------------------

void Writer::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_out += ',';
        m_first.back() = false;
    }
}

Writer &Writer::open(char bracket)
{
    separate();
    m_out += bracket;
    m_first.push_back(true);
    return *this;
}

Writer &Writer::close(char bracket)
{
    m_out += bracket;
    if (!m_first.empty())
        m_first.pop_back();
    return *this;
}

Writer &Writer::key(std::string_view name)
{
    separate();
    m_out += '"';
    m_out += name;
    m_out += "\":";
    m_afterKey = true;
    return *this;
}

Writer &Writer::value(std::u16string_view text)
{
    separate();
    m_out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        switch (c) {
        case u'"': m_out += "\\\""; continue;
        case u'\\': m_out += "\\\\"; continue;
        case u'\n': m_out += "\\n"; continue;
        case u'\r': m_out += "\\r"; continue;
        case u'\t': m_out += "\\t"; continue;
        default: break;
        }
        if (c < 0x20) {
            appendEscape(m_out, c);
            continue;
        }
        if (isHigh(c) && i + 1 < text.size() && isLow(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHigh(c) || isLow(c)) {
            appendEscape(m_out, c);   // a lone half, kept as what it is
            continue;
        }
        appendUtf8(m_out, c);
    }
    m_out += '"';
    return *this;
}

Writer &Writer::value(std::string_view ascii)
{
    separate();
    m_out += '"';
    for (const char c : ascii) {
        if (c == '"' || c == '\\')
            m_out += '\\';
        m_out += c;
    }
    m_out += '"';
    return *this;
}

Writer &Writer::value(bool b)
{
    separate();
    m_out += b ? "true" : "false";
    return *this;
}

Writer &Writer::value(long long n)
{
    separate();
    m_out += std::to_string(n);
    return *this;
}

Writer &Writer::value(std::uint64_t n)
{
    separate();
    m_out += std::to_string(n);
    return *this;
}

Writer &Writer::null()
{
    separate();
    m_out += "null";
    return *this;
}

Writer &Writer::raw(std::string_view json)
{
    separate();
    m_out += json;
    return *this;
}

// --- the reader ----------------------------------------------------------------

const Value *Value::get(std::string_view name) const
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return &members[i];
    }
    return nullptr;
}

std::optional<Value> parse(std::string_view text)
{
    return Reader(text).document();
}

} // namespace tarnvale::json
