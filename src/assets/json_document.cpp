#include "assets/json_document.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <iterator>
#include <limits>
#include <set>
#include <vector>

namespace {

using Json = JsonValue;

// A number beyond a double, which the library refuses outright, is written
// over with this (and spaces) before the text is read, and reads as NaN.
constexpr char kBeyondDouble[] = "-0E-0";
constexpr size_t kBeyondDoubleLength = sizeof kBeyondDouble - 1;

// The end of the JSON number that starts at `at`, the library's way: a
// leading zero ends it, a point or an exponent needs digits after it.
size_t numberEnd(const std::vector<char>& text, size_t at)
{
    const auto digit = [&](size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    const auto digits = [&](size_t i) {
        while (digit(i))
            ++i;
        return i;
    };
    if (text[at] == '-')
        ++at;
    if (!digit(at))
        return at;
    at = text[at] == '0' ? at + 1 : digits(at);
    if (at < text.size() && text[at] == '.' && digit(at + 1))
        at = digits(at + 1);
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        const size_t sign = at + 1 < text.size() && (text[at + 1] == '+' || text[at + 1] == '-') ? at + 2 : at + 1;
        if (digit(sign))
            at = digits(sign);
    }
    return at;
}

// The text as the library is to read it: a byte 0, which it takes for the
// end, becomes another control byte (refused the same way in and out of
// strings), and numbers beyond a double are marked.
std::vector<char> preparedText(const uint8_t* bytes, size_t size)
{
    std::vector<char> text(bytes, bytes + size);
    bool inString = false;
    for (size_t at = 0; at < text.size();) {
        char& c = text[at];
        if (c == '\0')
            c = '\x01';
        if (inString) {
            at += c == '\\' ? 2 : 1;
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
            ++at;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            const size_t end = std::max(numberEnd(text, at), at + 1);
            double value = 0;
            const auto [last, error] = std::from_chars(text.data() + at, text.data() + end, value);
            if (error == std::errc::result_out_of_range && end - at >= kBeyondDoubleLength) {
                std::memset(text.data() + at, ' ', end - at);
                std::memcpy(text.data() + at, kBeyondDouble, kBeyondDoubleLength);
            }
            at = end;
        } else {
            ++at;
        }
    }
    return text;
}

// The tokens the library refuses, as far as our reasons tell them apart.
enum class Token : uint8_t {
    Byte,       // a structural byte, or one that starts no token
    String,     // a string, whole or cut where it broke
    Number,     // the same for a number
    Word,       // true, false or null
    BrokenWord, // the start of one of them, up to the byte that broke it
};

// The parts of the library's message: "... syntax error while parsing
// CONTEXT - unexpected TOKEN; expected WHAT" for a token out of place, or
// "... - LEXER'S REASON; last read: 'TEXT'; expected WHAT" for a token that
// cannot be read. TEXT is the file's own, so it is never searched.
struct Refusal {
    std::string context, unexpected, lexer, expected;

    static Refusal of(const std::string& message)
    {
        Refusal refusal;
        const size_t contextAt = message.find("while parsing ");
        if (contextAt == std::string::npos)
            return refusal;
        const size_t dash = message.find(" - ", contextAt);
        if (dash == std::string::npos)
            return refusal;
        refusal.context = message.substr(contextAt + 14, dash - (contextAt + 14));
        const std::string rest = message.substr(dash + 3);
        const size_t expectedAt = rest.rfind("; expected ");
        if (expectedAt != std::string::npos)
            refusal.expected = rest.substr(expectedAt + 11);
        if (rest.compare(0, 11, "unexpected ") == 0)
            refusal.unexpected = rest.substr(11, expectedAt == std::string::npos ? std::string::npos : expectedAt - 11);
        else
            refusal.lexer = rest.substr(0, rest.find("; last read: '"));
        return refusal;
    }
};

// Builds the document, refusing what the library lets through (depth, a key
// twice) and turning its refusals into the reasons this reader gives, each
// with the byte offset where the fault starts.
class DocumentBuilder : public nlohmann::json_sax<Json> {
public:
    DocumentBuilder(const std::vector<char>& text, const size_t& read) : text_(text), read_(read) {}

    Json root;
    std::string error;

    bool null() override { return add(nullptr); }
    bool boolean(bool value) override { return add(value); }
    bool number_integer(number_integer_t value) override { return add(double(value)); }
    bool number_unsigned(number_unsigned_t value) override { return add(double(value)); }
    bool number_float(number_float_t value, const string_t& raw) override
    {
        return add(raw == kBeyondDouble ? std::numeric_limits<double>::quiet_NaN() : value);
    }
    bool string(string_t& value) override { return add(value); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override
    {
        // The key's closing quote is the last byte read.
        if (!keys_.back().insert(name).second)
            return refuse("a key that appears twice in one object", read_);
        key_ = name;
        return true;
    }
    bool parse_error(std::size_t read, const std::string& token, const nlohmann::detail::exception& e) override
    {
        describe(token, e.what(), read);
        return false;
    }

private:
    const std::vector<char>& text_;
    const size_t& read_; // bytes the library has taken so far
    std::vector<Json*> open_;
    std::vector<std::set<std::string>> keys_; // an object's keys so far: a search per member would be quadratic
    std::string key_;

    bool refuse(const char* what, size_t at)
    {
        if (error.empty())
            error = std::string(what) + " at byte " + std::to_string(at);
        return false;
    }

    Json* place(Json value)
    {
        if (open_.empty()) {
            root = std::move(value);
            return &root;
        }
        Json& parent = *open_.back();
        if (parent.is_object())
            return &(parent[key_] = std::move(value));
        parent.push_back(std::move(value));
        return &parent.back();
    }
    bool add(Json value)
    {
        place(std::move(value));
        return true;
    }
    bool open(Json container)
    {
        // The bracket is the last byte read.
        if (int(open_.size()) >= kJsonMostDepth)
            return refuse("nesting too deep", read_ - 1);
        open_.push_back(place(std::move(container)));
        keys_.emplace_back();
        return true;
    }
    bool close()
    {
        open_.pop_back();
        keys_.pop_back();
        return true;
    }

    bool atEnd(size_t at) const { return at >= text_.size(); }

    // Where a word that broke at byte `bad` starts: `bad` itself when no
    // word leads up to it.
    size_t literalStart(size_t bad) const
    {
        for (const char* word : {"true", "false", "null"})
            for (size_t k = std::strlen(word) - 1; k > 0; --k)
                if (bad >= k && std::memcmp(text_.data() + bad - k, word, k) == 0)
                    return bad - k;
        return bad;
    }

    // Where the token that the library refused starts; `end` is one past the
    // last byte it read, the end of the text counting as one.
    size_t tokenStart(const std::string& token, size_t end, Token kind) const
    {
        end = std::min(end, text_.size());
        switch (kind) {
        case Token::BrokenWord:
            return literalStart(end > 0 ? end - 1 : 0);
        case Token::Word:
            for (const char* word : {"true", "false", "null"}) {
                const size_t length = std::strlen(word);
                if (end >= length && std::memcmp(text_.data() + end - length, word, length) == 0)
                    return end - length;
            }
            break;
        case Token::String:
        case Token::Number: {
            // The library's token is the string or number read so far, with a
            // control byte shown as "<U+00XX>".
            size_t length = token.size();
            if (end > 0 && static_cast<unsigned char>(text_[end - 1]) < 0x20 && length >= 8)
                length -= 7;
            return end >= length ? end - length : 0;
        }
        case Token::Byte:
            break;
        }
        return end > 0 ? end - 1 : 0;
    }

    // The library's refusal, as our reason; `end` is one past the last byte
    // it read.
    void describe(const std::string& token, const std::string& message, size_t end)
    {
        const Refusal refusal = Refusal::of(message);
        const auto context = [&](const char* name) { return refusal.context == name; };
        const auto lexer = [&](const char* part) { return refusal.lexer.find(part) != std::string::npos; };
        const auto unexpected = [&](const char* name) { return refusal.unexpected == name; };
        const size_t size = text_.size();
        const bool lexical = refusal.unexpected.empty();
        const size_t bad = end > 0 ? std::min(end - 1, size) : 0; // the byte that broke a token, or the end

        Token kind = Token::Byte;
        if (lexical ? lexer("invalid string") : unexpected("string literal"))
            kind = Token::String;
        else if (lexical ? lexer("invalid number") : unexpected("number literal"))
            kind = Token::Number;
        else if (!lexical && (unexpected("true literal") || unexpected("false literal") || unexpected("null literal")))
            kind = Token::Word;
        else if (lexical && lexer("invalid literal") && literalStart(bad) < bad)
            kind = Token::BrokenWord;
        const bool endOfText = unexpected("end of input");
        const size_t start = endOfText ? size : tokenStart(token, end, kind);

        if (refusal.expected == "end of input")
            return (void)refuse("text after the value", start);
        if (context("object key") && kind != Token::String)
            return (void)refuse("expected a member's name", start);
        if (context("object separator"))
            return (void)refuse("expected ':'", start);
        if (context("object") || context("array")) {
            if (endOfText)
                return (void)refuse("the text ends inside an array or object", size);
            return (void)refuse(context("object") ? "expected ',' or '}'" : "expected ',' or ']'", start);
        }
        if (!lexical) // an unexpected token where a value belongs
            return (void)refuse(endOfText ? "the text ends where a value should be" : "not a value", start);
        switch (kind) {
        case Token::BrokenWord:
            return (void)refuse("an unknown word", start);
        case Token::Byte:
        case Token::Word:
            return (void)refuse("not a value", start);
        case Token::Number:
            if (lexer("after '-'"))
                return (void)refuse("not a value", bad);
            return (void)refuse(lexer("after '.'") ? "a number without digits after its point"
                                                   : "a number without digits in its exponent",
                                bad);
        case Token::String:
            return describeString(refusal.lexer, bad, end);
        }
    }

    // A string the library refused at byte `bad` (the end of the text where
    // it ran out).
    void describeString(const std::string& lexer, size_t bad, size_t end)
    {
        const auto has = [&](const char* part) { return lexer.find(part) != std::string::npos; };
        const size_t size = text_.size();
        const auto hexAt = [&](size_t i) { return i < size && std::isxdigit(static_cast<unsigned char>(text_[i])); };
        if (has("missing closing quote") || (has("forbidden character after backslash") && atEnd(bad)))
            return (void)refuse("the text ends inside a string", size);
        if (has("control character"))
            return (void)refuse("a control character in a string", bad);
        if (has("forbidden character after backslash"))
            return (void)refuse("an unknown escape", bad);
        if (has("ill-formed UTF-8"))
            return (void)refuse("ill-formed UTF-8 in a string", bad);
        if (has("must be followed by 4 hex digits")) {
            size_t digitsStart = bad;
            while (digitsStart > 0 && bad - digitsStart < 3 && hexAt(digitsStart - 1))
                --digitsStart;
            if (size - digitsStart < 4)
                return (void)refuse("a \\u escape cut short", digitsStart);
            return (void)refuse("a \\u escape with a non-hex digit", bad + 1);
        }
        if (has("must follow U+D800..U+DBFF"))
            return (void)refuse("a lone low surrogate", std::min(end, size));
        // A high surrogate: the library read one or two bytes past its digits
        // looking for "\u", or the second escape's four digits.
        const size_t read = std::min(end, size);
        const bool secondRead = read >= 6 && text_[read - 6] == '\\' && text_[read - 5] == 'u';
        if (secondRead && hexAt(read - 1) && hexAt(read - 2) && hexAt(read - 3) && hexAt(read - 4))
            return (void)refuse("a high surrogate without its low one", read);
        const bool backslashRead = end >= 2 && end - 2 < size && text_[end - 2] == '\\';
        refuse("a high surrogate without its low one", backslashRead ? end - 2 : end - 1);
    }
};

// Bytes handed to the library one at a time, counting how many it took.
class CountingReader {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingReader(const char* at, size_t* taken) : at_(at), taken_(taken) {}
    const char& operator*() const
    {
        ++*taken_;
        return *at_;
    }
    CountingReader& operator++()
    {
        ++at_;
        return *this;
    }
    CountingReader operator++(int)
    {
        CountingReader before = *this;
        ++at_;
        return before;
    }
    bool operator==(const CountingReader& other) const { return at_ == other.at_; }
    bool operator!=(const CountingReader& other) const { return at_ != other.at_; }

private:
    const char* at_;
    size_t* taken_;
};

// Hands the walk's events on, without building anything.
class EventRelay : public nlohmann::json_sax<Json> {
public:
    explicit EventRelay(JsonEvents& events) : events_(events) {}

    bool null() override { return events_.scalar(); }
    bool boolean(bool) override { return events_.scalar(); }
    bool number_integer(number_integer_t) override { return events_.scalar(); }
    bool number_unsigned(number_unsigned_t) override { return events_.scalar(); }
    bool number_float(number_float_t, const string_t&) override { return events_.scalar(); }
    bool string(string_t& value) override { return events_.text(value); }
    bool binary(binary_t&) override { return events_.scalar(); }
    bool start_object(std::size_t) override { return events_.open(); }
    bool start_array(std::size_t) override { return events_.open(); }
    bool end_object() override { return events_.close(); }
    bool end_array() override { return events_.close(); }
    bool key(string_t& name) override { return events_.key(name); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    JsonEvents& events_;
};

} // namespace

JsonDocument parseJson(const uint8_t* bytes, size_t size)
{
    JsonDocument document;
    // The library skips a byte-order mark; this format has none.
    if (size > 0 && bytes[0] == 0xEF) {
        document.error = "not a value at byte 0";
        return document;
    }
    const std::vector<char> text = preparedText(bytes, size);
    size_t taken = 0;
    DocumentBuilder builder(text, taken);
    const CountingReader first(text.data(), &taken), last(text.data() + text.size(), &taken);
    const bool read = Json::sax_parse(first, last, &builder, nlohmann::detail::input_format_t::json, true);
    if (read && builder.error.empty()) {
        document.root = std::move(builder.root);
        return document;
    }
    document.error = builder.error.empty() ? "not JSON at byte " + std::to_string(taken) : builder.error;
    return document;
}

// A string that is not UTF-8 is written with U+FFFD in place of each
// ill-formed byte, so the text stays JSON that the reader takes.
std::string formatJson(const JsonValue& value)
{
    return value.dump(2, ' ', false, nlohmann::detail::error_handler_t::replace) + "\n";
}

bool walkJson(std::istream& in, JsonEvents& events)
{
    EventRelay relay(events);
    return Json::sax_parse(in, &relay);
}
