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

// Where the document goes: the pending text is handed over whenever it grows
// past kFlushThreshold after an element ends, and once at the end.
class DocumentOutput {
public:
    virtual ~DocumentOutput() = default;
    // Takes the pending text and leaves `pending` empty (its storage may be
    // kept or exchanged).
    virtual void Take(Str& pending) = 0;
};

// An output file (or standard output): each piece is one write, whose
// outcome the file records.
class FileOutput final : public DocumentOutput {
public:
    explicit FileOutput(file_Class* file) : file_(file) {}
    void Take(Str& pending) override;

private:
    file_Class* file_;
};

// The document's text, laid straight into the pending text as elements are
// begun and ended: the declaration and the root element, four spaces per
// level, a blank line before every record element, a field with text on one
// line, an element with neither text nor children as one self-closing tag,
// a record's own text on a line of its own; texts and attribute values
// encoded as above. Element names must outlive the element (literals).
class StreamSink {
public:
    // Appends to `pending`, handing it to `output` (null: kept) whenever it
    // grows past the flush threshold as an element ends. Elements begun at
    // the top level are at `depth`.
    StreamSink(Str& pending, DocumentOutput* output, int32_t depth = 1)
        : buffer_(pending), output_(output), depth_(depth) {}

    // Instead of handing the text to an output, notes where each element
    // ends (the points where it would have been handed over, were it large
    // enough): for a piece of a document whose flushes are decided later.
    void NoteElementEnds(std::vector<uint32_t>* ends) { ends_ = ends; }

    // The XML declaration and the start of the root element `root`, whose
    // attributes follow; its children are at depth 1, after a blank line.
    void BeginDocument(std::string_view root);
    // Ends the root element and hands everything pending to the output.
    void EndDocument();

    void Begin(std::string_view name, bool isRecord = false);
    // A comment among the records, laid out like one: after a blank line, on
    // a line of its own. `text` holds no "--" and does not end in "-".
    void RecordComment(std::string_view text);
    // `plain`: the value needs no encoding (a number's form, an identifier).
    void Attribute(std::string_view name, std::string_view value, bool plain = false);
    void Text(std::string_view text);
    void End();
    // An element with a text and no children. `plain`: the text needs no
    // encoding (a number's form).
    void Leaf(std::string_view name, std::string_view text, bool plain = false);

private:
    struct Open {
        std::string_view name;
        int32_t depth;
        bool isRecord;
        bool startOpen;        // "<name attributes" written, neither ">" nor "/>" yet
        bool isRoot;
        std::string_view text = {}; // element text not yet written
    };

    void CloseStart(Open& element);
    // The depth of a new child of the element open last, whose start tag
    // is then closed.
    int32_t ChildDepth();
    void Pad(int32_t depth);
    // An element has ended: where the pending text may go to the output.
    void FlushIfLarge() {
        if (ends_ || buffer_.Length() > kFlushThreshold) [[unlikely]]
            ElementEnded();
    }
    void ElementEnded();

    Str& buffer_;
    DocumentOutput* output_;
    std::vector<uint32_t>* ends_ = nullptr;
    int32_t depth_;
    std::vector<Open> open_;
};

} // namespace tqxml
