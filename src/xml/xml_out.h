// The element tree that the record writers fill, and its serialisation as
// indented XML text into one growing output buffer that goes to the output
// file in large pieces.
#pragma once

#include "text/str.h"

#include <cstdint>

namespace tqxml {

class file_Class;

// The pending output is written out once it holds more than this many bytes.
inline constexpr int32_t kFlushThreshold = 65536;

// One node of a record's tree: a record, a field or a sub-structure. A parent
// owns its children; the top node belongs to whoever made it.
class xmlout_element {
public:
    explicit xmlout_element(const char* name);
    xmlout_element(const char* name, Str text);
    virtual ~xmlout_element(); // frees the whole subtree

    xmlout_element(const xmlout_element&) = delete;
    xmlout_element& operator=(const xmlout_element&) = delete;

    // Appends ` name="value"` with the value encoded; the same name added
    // twice is written twice.
    void AddAttribute(const Str& name, Str value);
    // Links `child` after the last child and takes ownership; null is ignored.
    void AddChild(xmlout_element* child);

    Str name;       // written as is
    Str text;       // character content, empty when there is none
    Str attributes; // serialised: ` a="1" b="2"`
    bool isRecord = false;
    xmlout_element* next = nullptr;
    xmlout_element* firstChild = nullptr;
    xmlout_element* lastChild = nullptr;
};

// XML encoding of a NUL-terminated text: the five markup characters as
// entities, control bytes as "&#x%03x;", leading and trailing spaces dropped,
// every other byte (0x80 upward included) unchanged.
Str EncodeXmlText(const char* text);

// The same encoding appended straight to `out`, for at most `length` bytes of
// `text` (stopping early at a NUL).
void AppendEncodedXmlText(Str& out, const char* text, int32_t length);

// Serialises `element` and its subtree into `buffer`, four spaces per level
// when `indent`, a blank line before every record; the buffer goes to
// `output` (may be null) whenever it grows past kFlushThreshold.
void Write(const xmlout_element* element, file_Class* output, bool indent, int32_t depth,
           Str& buffer);

// Flush when `output` is set and the buffer holds more than kFlushThreshold.
void FlushIfLarge(file_Class* output, Str& buffer);

// Writes the buffer to `output` (ignoring the outcome; nothing is written when
// `output` is null) and empties it, keeping its storage.
void Flush(file_Class* output, Str& buffer);

} // namespace tqxml
