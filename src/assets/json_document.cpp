#include "assets/json_document.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <set>

namespace {

class Parser {
public:
    Parser(const uint8_t* text, size_t length, JsonDocument& into) : bytes(text), size(length), document(into) {}

    void parseDocument()
    {
        skipSpace();
        if (!parseValue(0))
            return;
        skipSpace();
        if (at < size)
            fail("text after the value");
    }

private:
    const uint8_t* bytes;
    size_t size;
    size_t at = 0;
    JsonDocument& document;

    bool fail(const char* what)
    {
        if (document.error.empty())
            document.error = std::string(what) + " at byte " + std::to_string(at);
        return false;
    }

    bool more() const { return at < size; }
    uint8_t peek() const { return bytes[at]; }

    void skipSpace()
    {
        while (more() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++at;
    }

    // Consumes the word if the text goes on with it.
    bool takeWord(std::string_view word)
    {
        if (size - at < word.size() ||
            std::string_view(reinterpret_cast<const char*>(bytes + at), word.size()) != word)
            return false;
        at += word.size();
        return true;
    }

    int addNode(JsonType type)
    {
        document.nodes.emplace_back();
        document.nodes.back().type = type;
        return static_cast<int>(document.nodes.size() - 1);
    }

    bool parseValue(int depth)
    {
        if (!more())
            return fail("the text ends where a value should be");
        switch (peek()) {
        case '{':
            return parseContainer(JsonType::Object, depth);
        case '[':
            return parseContainer(JsonType::Array, depth);
        case '"': {
            const int node = addNode(JsonType::String);
            std::string text;
            if (!parseString(text))
                return false;
            document.nodes[size_t(node)].text = std::move(text);
            return true;
        }
        case 't':
        case 'f':
        case 'n': {
            const bool isTrue = takeWord("true");
            if (isTrue || takeWord("false")) {
                document.nodes[size_t(addNode(JsonType::Boolean))].boolean = isTrue;
                return true;
            }
            if (takeWord("null")) {
                addNode(JsonType::Null);
                return true;
            }
            return fail("an unknown word");
        }
        default:
            return parseNumber();
        }
    }

    // Children are linked as they are parsed; the container's node comes
    // first, so nodes[0] is the document's root.
    bool parseContainer(JsonType type, int depth)
    {
        if (depth >= kJsonMostDepth)
            return fail("nesting too deep");
        const int container = addNode(type);
        const char close = type == JsonType::Object ? '}' : ']';
        ++at;
        skipSpace();
        if (more() && peek() == close) {
            ++at;
            return true;
        }
        int previous = -1;
        std::set<std::string> keys; // a search per member would take quadratic time
        for (;;) {
            std::string key;
            if (type == JsonType::Object) {
                if (!more() || peek() != '"')
                    return fail("expected a member's name");
                if (!parseString(key))
                    return false;
                if (!keys.insert(key).second)
                    return fail("a key that appears twice in one object");
                skipSpace();
                if (!more() || peek() != ':')
                    return fail("expected ':'");
                ++at;
                skipSpace();
            }
            const int child = static_cast<int>(document.nodes.size());
            if (!parseValue(depth + 1))
                return false;
            JsonNode& childNode = document.nodes[size_t(child)];
            childNode.key = std::move(key);
            JsonNode& parent = document.nodes[size_t(container)];
            if (previous < 0)
                parent.firstChild = child;
            else
                document.nodes[size_t(previous)].nextSibling = child;
            ++parent.childCount;
            previous = child;
            skipSpace();
            if (!more())
                return fail("the text ends inside an array or object");
            if (peek() == close) {
                ++at;
                return true;
            }
            if (peek() != ',')
                return fail(type == JsonType::Object ? "expected ',' or '}'" : "expected ',' or ']'");
            ++at;
            skipSpace();
        }
    }

    // Four hex digits of a \u escape.
    bool parseHex4(uint32_t& value)
    {
        if (size - at < 4)
            return fail("a \\u escape cut short");
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t c = bytes[at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return fail("a \\u escape with a non-hex digit");
            value = value * 16 + uint32_t(digit);
        }
        return true;
    }

    static void appendUtf8(std::string& text, uint32_t code)
    {
        if (code < 0x80) {
            text += char(code);
        } else if (code < 0x800) {
            text += char(0xC0 | code >> 6);
            text += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += char(0xE0 | code >> 12);
            text += char(0x80 | (code >> 6 & 0x3F));
            text += char(0x80 | (code & 0x3F));
        } else {
            text += char(0xF0 | code >> 18);
            text += char(0x80 | (code >> 12 & 0x3F));
            text += char(0x80 | (code >> 6 & 0x3F));
            text += char(0x80 | (code & 0x3F));
        }
    }

    bool parseEscape(std::string& text)
    {
        if (!more())
            return fail("the text ends inside a string");
        const uint8_t c = bytes[at++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            text += char(c);
            return true;
        case 'b':
            text += '\b';
            return true;
        case 'f':
            text += '\f';
            return true;
        case 'n':
            text += '\n';
            return true;
        case 'r':
            text += '\r';
            return true;
        case 't':
            text += '\t';
            return true;
        case 'u':
            break;
        default:
            --at;
            return fail("an unknown escape");
        }
        uint32_t code = 0;
        if (!parseHex4(code))
            return false;
        if (code >= 0xDC00 && code <= 0xDFFF)
            return fail("a lone low surrogate");
        if (code >= 0xD800 && code <= 0xDBFF) {
            uint32_t low = 0;
            if (!takeWord("\\u") || !parseHex4(low) || low < 0xDC00 || low > 0xDFFF)
                return fail("a high surrogate without its low one");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        appendUtf8(text, code);
        return true;
    }

    bool parseString(std::string& text)
    {
        ++at; // the opening quote
        for (;;) {
            if (!more())
                return fail("the text ends inside a string");
            const uint8_t c = bytes[at++];
            if (c == '"')
                return true;
            if (c < 0x20) {
                --at;
                return fail("a control character in a string");
            }
            if (c != '\\')
                text += char(c);
            else if (!parseEscape(text))
                return false;
        }
    }

    size_t skipDigits()
    {
        const size_t start = at;
        while (more() && peek() >= '0' && peek() <= '9')
            ++at;
        return at - start;
    }

    // -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    bool parseNumber()
    {
        const size_t start = at;
        if (more() && peek() == '-')
            ++at;
        if (!more() || peek() < '0' || peek() > '9')
            return fail("not a value");
        if (peek() == '0')
            ++at;
        else
            skipDigits();
        if (more() && peek() == '.') {
            ++at;
            if (skipDigits() == 0)
                return fail("a number without digits after its point");
        }
        if (more() && (peek() == 'e' || peek() == 'E')) {
            ++at;
            if (more() && (peek() == '+' || peek() == '-'))
                ++at;
            if (skipDigits() == 0)
                return fail("a number without digits in its exponent");
        }
        double value = 0;
        const char* first = reinterpret_cast<const char*>(bytes + start);
        const char* last = reinterpret_cast<const char*>(bytes + at);
        const auto [end, error] = std::from_chars(first, last, value);
        if (error != std::errc() || end != last)
            value = std::numeric_limits<double>::quiet_NaN();
        document.nodes[size_t(addNode(JsonType::Number))].number = value;
        return true;
    }
};

} // namespace

const JsonNode* JsonDocument::member(const JsonNode& object, std::string_view key) const
{
    if (object.type != JsonType::Object)
        return nullptr;
    for (int child = object.firstChild; child >= 0; child = nodes[size_t(child)].nextSibling)
        if (nodes[size_t(child)].key == key)
            return &nodes[size_t(child)];
    return nullptr;
}

std::vector<const JsonNode*> JsonDocument::children(const JsonNode& container) const
{
    std::vector<const JsonNode*> list;
    for (int child = container.firstChild; child >= 0; child = nodes[size_t(child)].nextSibling)
        list.push_back(&nodes[size_t(child)]);
    return list;
}

JsonDocument parseJson(const uint8_t* bytes, size_t size)
{
    JsonDocument document;
    Parser(bytes, size, document).parseDocument();
    if (!document.error.empty())
        document.nodes.clear();
    return document;
}
