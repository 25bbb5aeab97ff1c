#pragma once
// JSON, read and written in this one module, through the field's library:
// the settings files beside the data files (the geographic reference of an
// imported place), the tools' figures, and the check of a track's text
// before it is opened. Values are the library's ordered values, so members
// are written in the order they were set.
//
// Reading is strict: exactly one value with white space around it, the
// grammar of RFC 8259 and nothing more (no comments, trailing commas, single
// quotes, NaN, a byte-order mark or a byte 0), no control bytes or
// ill-formed UTF-8 in strings, no lone surrogates, no key twice in one
// object. Nesting deeper than kJsonMostDepth is refused. A number beyond
// the range of a double, either way, reads as NaN, so that a caller asking
// for a finite number refuses it. Used at start-up only: it allocates.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

constexpr int kJsonMostDepth = 32; // arrays and objects inside each other

using JsonValue = nlohmann::ordered_json;

struct JsonDocument {
    JsonValue root;    // null when the text is refused
    std::string error; // why the text is refused, with the byte offset; empty when read
};

JsonDocument parseJson(const uint8_t* bytes, size_t size);

// The text of a value: members and items indented by two spaces, numbers
// that read back to the same doubles, a line break at the end.
std::string formatJson(const JsonValue& value);

// What a reader that walks a large text without keeping it is told, in the
// order of the text; returning false stops the walk.
class JsonEvents {
public:
    virtual ~JsonEvents() = default;
    virtual bool scalar() = 0;                   // null, true, false or a number
    virtual bool text(const std::string& s) = 0; // a string value
    virtual bool key(const std::string& name) = 0;
    virtual bool open() = 0; // an object or an array begins
    virtual bool close() = 0;
};

// Walks the stream's JSON text; false when it is not JSON or a handler stopped.
bool walkJson(std::istream& in, JsonEvents& events);
