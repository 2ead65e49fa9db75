// The document's XML text: encoding of texts, the layout of elements, and
// one growing output buffer that goes to the output file in large pieces.
#pragma once

#include "text/str.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tqxml {

class file_Class;

// The pending output is written out once it holds more than this many bytes.
inline constexpr int32_t kFlushThreshold = 65536;

// XML encoding of a NUL-terminated text: the five markup characters as
// entities, control bytes as "&#x%03x;", leading and trailing spaces dropped,
// every other byte (0x80 upward included) unchanged.
Str EncodeXmlText(const char* text);

// The same encoding appended straight to `out`, for at most `length` bytes of
// `text` (stopping early at a NUL).
void AppendEncodedXmlText(Str& out, const char* text, int32_t length);

// The document's text, laid straight into the output buffer as elements are
// begun and ended: four spaces per level, a blank line before every record
// element, a field with text on one line, an element with neither text nor
// children as one self-closing tag, a record's own text on a line of its
// own; texts and attribute values encoded as above. The buffer goes to the
// output whenever it grows past kFlushThreshold. Element names must outlive
// the element (literals).
class StreamSink {
public:
    // Appends to `buffer`, flushing it to `output` (which may be null) above
    // the flush threshold at the same points as Write. Elements begun at the
    // top level are at `depth`.
    StreamSink(Str& buffer, file_Class* output, int32_t depth = 1)
        : buffer_(buffer), output_(output), depth_(depth) {}

    void Begin(const char* name, bool isRecord = false);
    void Attribute(const char* name, std::string_view value);
    void Text(std::string_view text);
    void End();
    void Leaf(const char* name, std::string_view text);

private:
    struct Open {
        const char* name;
        int32_t depth;
        bool isRecord;
        bool startOpen;        // "<name attributes" written, neither ">" nor "/>" yet
        std::string_view text; // element text not yet written
    };

    void CloseStart(Open& element);
    void Pad(int32_t depth);
    void FlushIfLarge();

    Str& buffer_;
    file_Class* output_;
    int32_t depth_;
    std::vector<Open> open_;
};

// Flush when `output` is set and the buffer holds more than kFlushThreshold.
void FlushIfLarge(file_Class* output, Str& buffer);

// Writes the buffer to `output` (ignoring the outcome; nothing is written when
// `output` is null) and empties it, keeping its storage.
void Flush(file_Class* output, Str& buffer);

} // namespace tqxml
