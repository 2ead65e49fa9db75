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

// Copies `count` bytes and returns the end. Names and short values, most of
// what is copied, take two overlapping word copies instead of a call.
inline char* Put(char* dst, const char* bytes, size_t count) {
    if (count <= 16) {
        if (count >= 8) {
            uint64_t head, tail;
            std::memcpy(&head, bytes, 8);
            std::memcpy(&tail, bytes + count - 8, 8);
            std::memcpy(dst, &head, 8);
            std::memcpy(dst + count - 8, &tail, 8);
        } else if (count >= 4) {
            uint32_t head, tail;
            std::memcpy(&head, bytes, 4);
            std::memcpy(&tail, bytes + count - 4, 4);
            std::memcpy(dst, &head, 4);
            std::memcpy(dst + count - 4, &tail, 4);
        } else if (count > 0) {
            dst[0] = bytes[0];
            dst[count / 2] = bytes[count / 2];
            dst[count - 1] = bytes[count - 1];
        }
        return dst + count;
    }
    if (count <= 32) {
        uint64_t a, b, c, d;
        std::memcpy(&a, bytes, 8);
        std::memcpy(&b, bytes + 8, 8);
        std::memcpy(&c, bytes + count - 16, 8);
        std::memcpy(&d, bytes + count - 8, 8);
        std::memcpy(dst, &a, 8);
        std::memcpy(dst + 8, &b, 8);
        std::memcpy(dst + count - 16, &c, 8);
        std::memcpy(dst + count - 8, &d, 8);
        return dst + count;
    }
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

// Whether any of eight bytes needs more than a copy: a control byte or NUL
// (below 0x20) or one of the five markup characters. Bytes from 0x80 up
// are copied as they are.
constexpr uint64_t kEachByte = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;
inline uint64_t AnyZeroByte(uint64_t v) {
    return (v - kEachByte) & ~v & kHighBits;
}
inline bool NeedsEncoding(uint64_t v) {
    const uint64_t control = (v - 0x20 * kEachByte) & ~v & kHighBits;
    return (control | AnyZeroByte(v ^ ('&' * kEachByte)) | AnyZeroByte(v ^ ('<' * kEachByte)) |
            AnyZeroByte(v ^ ('>' * kEachByte)) | AnyZeroByte(v ^ ('\'' * kEachByte)) |
            AnyZeroByte(v ^ ('"' * kEachByte))) != 0;
}

// Encodes bytes from `p` up to `end` or the first NUL into `dst`, which has
// room for kMaxEncodedByte bytes per input byte: eight plain bytes at a
// time where they are, else byte by byte. Spaces are copied; the caller
// drops the leading and trailing ones. Advances `p` to where it stopped and
// returns the end of the output.
char* EncodeRun(char* dst, const unsigned char*& p, const unsigned char* end) {
    const unsigned char* q = p;
    while (q < end) {
        if (end - q >= 8) {
            uint64_t eight;
            std::memcpy(&eight, q, 8);
            if (!NeedsEncoding(eight)) {
                std::memcpy(dst, q, 8);
                dst += 8;
                q += 8;
                continue;
            }
        }
        const uint8_t cls = kByteClass[*q];
        if (cls == Plain) {
            *dst++ = static_cast<char>(*q);
        } else if (cls == End) {
            break;
        } else {
            dst = cls == Entity ? PutEntity(dst, *q) : PutControl(dst, *q);
        }
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

// Encodes at most `length` bytes of `text` (stopping early at a NUL) into
// `dst`, which has room for kMaxEncodedByte bytes per byte, with the
// leading and trailing spaces dropped; returns the end of the output.
char* EncodeInto(char* dst, const char* text, size_t length) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = p + length;
    p = SkipSpaces(p, end);
    char* const start = dst;
    dst = EncodeRun(dst, p, end);
    // The trailing spaces of the output are those of the text.
    while (dst > start && dst[-1] == ' ')
        --dst;
    return dst;
}

// Texts up to this length are encoded in one piece of room; longer ones in
// pieces, so the room asked of the buffer stays bounded.
constexpr size_t kShortText = 4096;

// Four spaces a level.
constexpr char kSpaces[] = "                                                                ";

inline char* PadAt(char* dst, int32_t depth) {
    for (; depth > 16; depth -= 16)
        dst = Put(dst, kSpaces, 64);
    return Put(dst, kSpaces, static_cast<size_t>(depth) * 4);
}

} // namespace

void AppendEncodedXmlText(Str& out, const char* text, int32_t length) {
    if (!text || length <= 0) return;
    TQ_ASSERT_TEXT(length < kLongText, "strlen (string) < 5196");
    if (static_cast<size_t>(length) <= kShortText) {
        out.EndAt(EncodeInto(out.RoomAtEnd(length * kMaxEncodedByte), text,
                             static_cast<size_t>(length)));
        return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = p + length;
    p = SkipSpaces(p, end);
    const int32_t start = out.Length();
    while (p < end && *p != '\0') {
        const int32_t count = static_cast<int32_t>(std::min<ptrdiff_t>(end - p, kEncodeChunk));
        out.EndAt(EncodeRun(out.RoomAtEnd(count * kMaxEncodedByte), p, p + count));
    }
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
    if (depth > 0) buffer_.EndAt(PadAt(buffer_.RoomAtEnd(depth * 4), depth));
}

// The start tag of an element that turns out to have content: ">" and, for
// an element with children or a record's text, the text on a line of its
// own. The root element's children follow a blank line.
void StreamSink::CloseStart(Open& element) {
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

int32_t StreamSink::ChildDepth() {
    if (open_.empty()) return depth_;
    Open& parent = open_.back();
    if (parent.startOpen) CloseStart(parent);
    return parent.depth + 1;
}

void StreamSink::Begin(std::string_view name, bool isRecord) {
    const int32_t depth = ChildDepth();
    const size_t nameLength = name.size();
    char* p = buffer_.RoomAtEnd(static_cast<int32_t>(depth * 4 + nameLength + 3));
    if (isRecord) p = Put(p, "\r\n", 2);
    p = PadAt(p, depth);
    *p++ = '<';
    buffer_.EndAt(Put(p, name.data(), nameLength));
    open_.push_back({name, depth, isRecord, true, false});
}

void StreamSink::RecordComment(std::string_view text) {
    const int32_t depth = ChildDepth();
    buffer_.Append("\r\n", 2);
    Pad(depth);
    buffer_.Append("<!-- ", 5);
    buffer_.Append(text.data(), static_cast<int32_t>(text.size()));
    buffer_.Append(" -->\r\n", 6);
    ElementEnded();
}

void StreamSink::BeginDocument(std::string_view root) {
    buffer_.Append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n");
    buffer_.Append('<');
    buffer_.Append(root.data(), static_cast<int32_t>(root.size()));
    open_.push_back({root, 0, false, true, true});
}

void StreamSink::EndDocument() {
    while (open_.size() > 1)
        End();
    if (!open_.empty()) {
        if (open_.back().startOpen) CloseStart(open_.back());
        buffer_.Append("</", 2);
        buffer_.Append(open_.back().name.data(), static_cast<int32_t>(open_.back().name.size()));
        buffer_.Append(">\r\n", 3);
        open_.pop_back();
    }
    if (output_) output_->Take(buffer_);
}

void StreamSink::ElementEnded() {
    if (ends_)
        ends_->push_back(static_cast<uint32_t>(buffer_.Length()));
    else if (output_ && buffer_.Length() > kFlushThreshold)
        output_->Take(buffer_);
}

void StreamSink::Attribute(std::string_view name, std::string_view value, bool plain) {
    const size_t nameLength = name.size();
    if (value.size() > kShortText) {
        buffer_.Append(' ');
        buffer_.Append(name.data(), static_cast<int32_t>(nameLength));
        buffer_.Append("=\"", 2);
        AppendEncodedXmlText(buffer_, value.data(), static_cast<int32_t>(value.size()));
        buffer_.Append('"');
        return;
    }
    char* p = buffer_.RoomAtEnd(
        static_cast<int32_t>(nameLength + 4 + value.size() * (plain ? 1 : kMaxEncodedByte)));
    *p++ = ' ';
    p = Put(p, name.data(), nameLength);
    p = Put(p, "=\"", 2);
    p = plain ? Put(p, value.data(), value.size()) : EncodeInto(p, value.data(), value.size());
    *p++ = '"';
    buffer_.EndAt(p);
}

void StreamSink::Text(std::string_view text) {
    open_.back().text = text;
}

void StreamSink::End() {
    Open& element = open_.back();
    const size_t nameLength = element.name.size();
    if (element.startOpen && element.text.empty()) {
        buffer_.Append("/>\r\n", 4); // no text, no children
    } else if (element.startOpen && !element.isRecord) {
        buffer_.Append('>'); // the one-line form of a field
        AppendEncodedXmlText(buffer_, element.text.data(),
                             static_cast<int32_t>(element.text.size()));
        buffer_.Append("</", 2);
        buffer_.Append(element.name.data(), static_cast<int32_t>(nameLength));
        buffer_.Append(">\r\n", 3);
    } else {
        if (element.startOpen) CloseStart(element); // a record's text alone takes its own line
        char* p = buffer_.RoomAtEnd(static_cast<int32_t>(element.depth * 4 + nameLength + 5));
        p = PadAt(p, element.depth);
        p = Put(p, "</", 2);
        p = Put(p, element.name.data(), nameLength);
        buffer_.EndAt(Put(p, ">\r\n", 3));
    }
    open_.pop_back();
    FlushIfLarge();
}

void StreamSink::Leaf(std::string_view name, std::string_view text, bool plain) {
    const int32_t depth = ChildDepth();
    const size_t nameLength = name.size();
    if (text.size() > kShortText) {
        Pad(depth);
        buffer_.Append('<');
        buffer_.Append(name.data(), static_cast<int32_t>(nameLength));
        buffer_.Append('>');
        AppendEncodedXmlText(buffer_, text.data(), static_cast<int32_t>(text.size()));
        buffer_.Append("</", 2);
        buffer_.Append(name.data(), static_cast<int32_t>(nameLength));
        buffer_.Append(">\r\n", 3);
        FlushIfLarge();
        return;
    }
    const size_t room = depth * 4 + 2 * nameLength + 8 + text.size() * (plain ? 1 : kMaxEncodedByte);
    char* p = PadAt(buffer_.RoomAtEnd(static_cast<int32_t>(room)), depth);
    *p++ = '<';
    p = Put(p, name.data(), nameLength);
    if (text.empty()) {
        p = Put(p, "/>\r\n", 4);
    } else {
        *p++ = '>';
        if (plain) {
            p = Put(p, text.data(), text.size());
        } else {
            p = EncodeInto(p, text.data(), text.size());
        }
        p = Put(p, "</", 2);
        p = Put(p, name.data(), nameLength);
        p = Put(p, ">\r\n", 3);
    }
    buffer_.EndAt(p);
    FlushIfLarge();
}

} // namespace tqxml
