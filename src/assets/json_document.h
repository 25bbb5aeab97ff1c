#pragma once
// A small, strict JSON reader for the settings files beside the data files
// (the geographic reference of an imported place). It works on a byte buffer
// and its size and never reads outside it. The values go into one array of
// nodes: a container names its first child, each child its next sibling.
//
// Strict: exactly one value with white space around it, the grammar of
// RFC 8259 and nothing more (no comments, trailing commas, single quotes,
// NaN or a byte-order mark), no control bytes in strings, no lone
// surrogates, no key twice in one object. Nesting deeper than kJsonMostDepth
// is refused, so no file can exhaust the stack. Used at start-up only: it
// allocates.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kJsonMostDepth = 32; // arrays and objects inside each other

enum class JsonType : uint8_t { Null, Boolean, Number, String, Array, Object };

struct JsonNode {
    JsonType type = JsonType::Null;
    bool boolean = false;
    // A number's value; NaN where the text lies beyond the range of a double
    // (either way), so that a caller asking for a finite number refuses it.
    double number = 0;
    std::string text; // a string's value, escapes decoded to UTF-8
    std::string key;  // the member's name, for a value inside an object
    int firstChild = -1;
    int nextSibling = -1;
    int childCount = 0;
};

struct JsonDocument {
    std::vector<JsonNode> nodes; // nodes[0] is the root; empty when the text is refused
    std::string error;           // why the text is refused, with the byte offset; empty when read

    const JsonNode* root() const { return nodes.empty() ? nullptr : &nodes[0]; }
    // The object's member of that name, or null (also for a value that is
    // not an object).
    const JsonNode* member(const JsonNode& object, std::string_view key) const;
    // The container's children in order.
    std::vector<const JsonNode*> children(const JsonNode& container) const;
};

JsonDocument parseJson(const uint8_t* bytes, size_t size);
