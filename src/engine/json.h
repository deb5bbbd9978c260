#pragma once

// JSON as the program speaks it to other programs: a writer of UTF-8 text
// from the game's UTF-16 strings, and a reader of one value. A lone
// surrogate (which the game's boxes can hold) goes out as its \u escape and
// comes back as the same code unit.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnvale::json {

class Writer {
public:
    Writer &beginObject() { return open('{'); }
    Writer &endObject() { return close('}'); }
    Writer &beginArray() { return open('['); }
    Writer &endArray() { return close(']'); }
    // A member's name (plain ASCII), before its value.
    Writer &key(std::string_view name);
    Writer &value(std::u16string_view text);
    Writer &value(const char16_t *text) { return value(std::u16string_view(text)); }
    Writer &value(std::string_view ascii);
    Writer &value(const char *ascii) { return value(std::string_view(ascii)); }
    Writer &value(bool b);
    Writer &value(long long n);
    Writer &value(int n) { return value(static_cast<long long>(n)); }
    Writer &value(unsigned n) { return value(static_cast<long long>(n)); }
    Writer &value(std::uint64_t n);
    Writer &null();
    // Text that is already JSON, as one value.
    Writer &raw(std::string_view json);

    const std::string &text() const { return m_out; }
    std::string take() { return std::move(m_out); }

private:
    Writer &open(char bracket);
    Writer &close(char bracket);
    void separate();

    std::string m_out;
    std::vector<bool> m_first;   // per open bracket: no member or item yet
    bool m_afterKey = false;
};

// The UTF-8 of a UTF-16 string: a lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);
// The UTF-16 of UTF-8 text: each byte that is not part of a valid sequence
// becomes U+FFFD.
std::u16string fromUtf8(std::string_view text);

// One JSON value, as read.
struct Value {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::u16string string;
    std::vector<Value> items;
    std::vector<std::string> names;   // an object's members: their names,
    std::vector<Value> members;       // and their values in the same order

    // A member of an object, or null.
    const Value *get(std::string_view name) const;
    bool isString() const { return type == Type::String; }
    bool isNumber() const { return type == Type::Number; }
    bool isBool() const { return type == Type::Bool; }
};

// Reads one value that is the whole text (blanks around it allowed); none
// when the text is no JSON or nests deeper than a reasonable input does.
std::optional<Value> parse(std::string_view text);

} // namespace tarnvale::json
