#pragma once
// Numbers written as text, in files and on command lines.

#include <charconv>
#include <string_view>
#include <system_error>

// True when the whole of text is one number of Number's type; "" and "12x"
// are not.
template <typename Number>
bool parseNumberText(std::string_view text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && last == end;
}
