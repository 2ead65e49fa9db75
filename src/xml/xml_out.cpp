#include "xml/xml_out.h"

#include "base/environment.h"
#include "platform/file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>

namespace tqxml {
namespace {

// The longest encoding of one byte: "&#x01f;".
constexpr int32_t kMaxEncodedByte = 7;
// Longer texts are encoded in pieces of this many bytes, so the room asked of
// the buffer stays bounded whatever the text's length.
constexpr int32_t kEncodeChunk = 1 << 16;
// Texts from this length on are reported as too long (and encoded anyway).
constexpr int32_t kLongText = 5196;

enum ByteClass : uint8_t { Plain = 0, Entity, Control, End };

constexpr std::array<uint8_t, 256> MakeByteClasses() {
    std::array<uint8_t, 256> classes{};
    for (int c = 1; c < 0x20; ++c)
        classes[c] = Control;
    classes[0] = End;
    classes['&'] = Entity;
    classes['<'] = Entity;
    classes['>'] = Entity;
    classes['\''] = Entity;
    classes['"'] = Entity;
    return classes;
}

constexpr std::array<uint8_t, 256> kByteClass = MakeByteClasses();

inline char* Put(char* dst, const char* bytes, size_t count) {
    std::memcpy(dst, bytes, count);
    return dst + count;
}

inline char* PutEntity(char* dst, unsigned char c) {
    switch (c) {
    case '&':
        return Put(dst, "&amp;", 5);
    case '<':
        return Put(dst, "&lt;", 4);
    case '>':
        return Put(dst, "&gt;", 4);
    case '\'':
        return Put(dst, "&apos;", 6);
    default:
        return Put(dst, "&quot;", 6);
    }
}

inline char* PutControl(char* dst, unsigned char c) {
    static constexpr char kHex[] = "0123456789abcdef";
    dst[0] = '&';
    dst[1] = '#';
    dst[2] = 'x';
    dst[3] = '0';
    dst[4] = kHex[c >> 4];
    dst[5] = kHex[c & 0xF];
    dst[6] = ';';
    return dst + 7;
}

// Encodes bytes from `p` up to `end` or the first NUL into `dst`, which has
// room for kMaxEncodedByte bytes per input byte. Spaces are copied; the
// caller drops the leading and trailing ones. Advances `p` to where it
// stopped and returns the end of the output.
char* EncodeRun(char* dst, const unsigned char*& p, const unsigned char* end) {
    const unsigned char* q = p;
    while (q < end) {
        const unsigned char* run = q;
        while (q < end && kByteClass[*q] == Plain)
            ++q;
        dst = Put(dst, reinterpret_cast<const char*>(run), static_cast<size_t>(q - run));
        if (q == end) break;
        const uint8_t cls = kByteClass[*q];
        if (cls == End) break;
        dst = cls == Entity ? PutEntity(dst, *q) : PutControl(dst, *q);
        ++q;
    }
    p = q;
    return dst;
}

inline const unsigned char* SkipSpaces(const unsigned char* p, const unsigned char* end) {
    while (p < end && *p == ' ')
        ++p;
    return p;
}

// Hands out room at the end of the buffer and gives back what was not used.
class Room {
public:
    Room(Str& buffer, int64_t count)
        : buffer_(buffer), base_(buffer.Length()),
          first_(buffer.AppendRoom(static_cast<int32_t>(count))) {}
    char* First() const { return first_; }
    void Finish(const char* end) { buffer_.Truncate(base_ + static_cast<int32_t>(end - first_)); }

private:
    Str& buffer_;
    int32_t base_;
    char* first_;
};

} // namespace

void AppendEncodedXmlText(Str& out, const char* text, int32_t length) {
    if (!text || length <= 0) return;
    TQ_ASSERT_TEXT(length < kLongText, "strlen (string) < 5196");
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = p + length;
    p = SkipSpaces(p, end);
    const int32_t start = out.Length();
    while (p < end && *p != '\0') {
        const int32_t count = static_cast<int32_t>(std::min<ptrdiff_t>(end - p, kEncodeChunk));
        Room room(out, int64_t{count} * kMaxEncodedByte);
        room.Finish(EncodeRun(room.First(), p, p + count));
    }
    // The trailing spaces of the output are those of the text.
    int32_t kept = out.Length();
    while (kept > start && out.CStr()[kept - 1] == ' ')
        --kept;
    out.Truncate(kept);
}

Str EncodeXmlText(const char* text) {
    Str result;
    if (!text) return result;
    const size_t length = std::strlen(text);
    if (length >= static_cast<size_t>(INT32_MAX)) {
        TQ_FAIL("strlen (string) < 5196");
        return result;
    }
    AppendEncodedXmlText(result, text, static_cast<int32_t>(length));
    return result;
}

void FileOutput::Take(Str& pending) {
    if (file_) (void)file_->Write(pending.CStr(), static_cast<uint32_t>(pending.Length()));
    pending.Truncate(0);
}

void StreamSink::Pad(int32_t depth) {
    if (depth > 0) std::memset(buffer_.AppendRoom(depth * 4), ' ', static_cast<size_t>(depth) * 4);
}

// The start tag of an element that turns out to have content: ">" and, for
// an element with children or a record's text, the text on a line of its
// own. The root element's children follow a blank line.
void StreamSink::CloseStart(Open& element) {
    if (!element.startOpen) return;
    element.startOpen = false;
    buffer_.Append(">\r\n", 3);
    if (element.isRoot) buffer_.Append("\r\n", 2);
    if (!element.text.empty()) {
        Pad(element.depth + 1);
        AppendEncodedXmlText(buffer_, element.text.data(),
                             static_cast<int32_t>(element.text.size()));
        buffer_.Append("\r\n", 2);
        element.text = {};
    }
}

void StreamSink::Begin(const char* name, bool isRecord) {
    int32_t depth = depth_;
    if (!open_.empty()) {
        CloseStart(open_.back());
        depth = open_.back().depth + 1;
    }
    if (isRecord) buffer_.Append("\r\n", 2);
    Pad(depth);
    buffer_.Append('<');
    buffer_.Append(name);
    open_.push_back({name, depth, isRecord, true, false});
}

void StreamSink::BeginDocument(const char* root) {
    buffer_.Append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n");
    buffer_.Append('<');
    buffer_.Append(root);
    open_.push_back({root, 0, false, true, true});
}

void StreamSink::EndDocument() {
    while (open_.size() > 1)
        End();
    if (!open_.empty()) {
        CloseStart(open_.back());
        buffer_.Append("</", 2);
        buffer_.Append(open_.back().name);
        buffer_.Append(">\r\n", 3);
        open_.pop_back();
    }
    if (output_) output_->Take(buffer_);
}

void StreamSink::Attribute(const char* name, std::string_view value) {
    buffer_.Append(' ');
    buffer_.Append(name);
    buffer_.Append("=\"", 2);
    AppendEncodedXmlText(buffer_, value.data(), static_cast<int32_t>(value.size()));
    buffer_.Append('"');
}

void StreamSink::Text(std::string_view text) {
    open_.back().text = text;
}

void StreamSink::End() {
    Open& element = open_.back();
    if (element.startOpen && element.text.empty()) {
        buffer_.Append("/>\r\n", 4); // no text, no children
    } else if (element.startOpen && !element.isRecord) {
        buffer_.Append('>'); // the one-line form of a field
        AppendEncodedXmlText(buffer_, element.text.data(),
                             static_cast<int32_t>(element.text.size()));
        buffer_.Append("</", 2);
        buffer_.Append(element.name);
        buffer_.Append(">\r\n", 3);
    } else {
        CloseStart(element); // a record's text alone still takes its own line
        Pad(element.depth);
        buffer_.Append("</", 2);
        buffer_.Append(element.name);
        buffer_.Append(">\r\n", 3);
    }
    open_.pop_back();
    FlushIfLarge();
}

void StreamSink::Leaf(const char* name, std::string_view text) {
    int32_t depth = depth_;
    if (!open_.empty()) {
        CloseStart(open_.back());
        depth = open_.back().depth + 1;
    }
    Pad(depth);
    buffer_.Append('<');
    buffer_.Append(name);
    if (text.empty()) {
        buffer_.Append("/>\r\n", 4);
    } else {
        buffer_.Append('>');
        AppendEncodedXmlText(buffer_, text.data(), static_cast<int32_t>(text.size()));
        buffer_.Append("</", 2);
        buffer_.Append(name);
        buffer_.Append(">\r\n", 3);
    }
    FlushIfLarge();
}

} // namespace tqxml
