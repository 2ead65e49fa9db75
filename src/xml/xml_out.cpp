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

inline char* TrimSpaces(char* dst, const char* start) {
    while (dst > start && dst[-1] == ' ')
        --dst;
    return dst;
}

inline char* PutPad(char* dst, int32_t pad) {
    std::memset(dst, ' ', static_cast<size_t>(pad));
    return dst + pad;
}

inline char* PutStr(char* dst, const Str& s) {
    return Put(dst, s.CStr(), static_cast<size_t>(s.Length()));
}

// "</name>\r\n"
inline char* PutEndTag(char* dst, const Str& name) {
    dst = Put(dst, "</", 2);
    dst = PutStr(dst, name);
    return Put(dst, ">\r\n", 3);
}

// Hands out room at the end of the buffer and gives back what was not used.
class Room {
public:
    Room(Str& buffer, int64_t count)
        : _Buffer(buffer), _Base(buffer.Length()),
          _First(buffer.AppendRoom(static_cast<int32_t>(count))) {}
    char* First() const { return _First; }
    void Finish(const char* end) { _Buffer.Truncate(_Base + static_cast<int32_t>(end - _First)); }

private:
    Str& _Buffer;
    int32_t _Base;
    char* _First;
};

} // namespace

xmlout_element::xmlout_element(const char* name) : name(name) {}

xmlout_element::xmlout_element(const char* name, Str text) : name(name), text(std::move(text)) {}

xmlout_element::~xmlout_element() {
    xmlout_element* child = firstChild;
    while (child) {
        xmlout_element* following = child->next;
        delete child;
        child = following;
    }
    firstChild = nullptr;
    lastChild = nullptr;
    next = nullptr;
}

void xmlout_element::AddAttribute(const Str& attributeName, Str value) {
    attributes.Append(' ');
    attributes.Append(attributeName);
    attributes.Append("=\"", 2);
    AppendEncodedXmlText(attributes, value.CStr(), value.Length());
    attributes.Append('"');
}

void xmlout_element::AddChild(xmlout_element* child) {
    if (!child) return;
    if (firstChild) {
        TQ_ASSERT_TEXT(lastChild, "this->lastChild");
        if (!lastChild) {
            // Find the true end rather than lose the children already linked.
            lastChild = firstChild;
            while (lastChild->next)
                lastChild = lastChild->next;
        }
        lastChild->next = child;
    } else {
        firstChild = child;
    }
    lastChild = child;
}

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

void FlushIfLarge(file_Class* output, Str& buffer) {
    if (output && buffer.Length() > kFlushThreshold) Flush(output, buffer);
}

void Flush(file_Class* output, Str& buffer) {
    if (output) (void)output->Write(buffer.CStr(), static_cast<uint32_t>(buffer.Length()));
    buffer.Truncate(0);
}

void Write(const xmlout_element* e, file_Class* output, bool indent, int32_t depth, Str& buffer) {
    if (!e) return;
    const int32_t pad = indent && depth > 0 ? depth * 4 : 0;
    const bool blankLine = indent && e->isRecord;
    const bool hasText = !e->text.IsEmpty();
    const bool hasChildren = e->firstChild != nullptr;
    const int32_t nameLength = e->name.Length();
    const int32_t textLength = e->text.Length();
    // The blank line, the indentation, "<", the name and the attributes.
    const int64_t startTag = int64_t{2} + pad + 1 + nameLength + e->attributes.Length();
    const auto putStartTag = [&](char* dst) {
        if (blankLine) dst = Put(dst, "\r\n", 2);
        dst = PutPad(dst, pad);
        *dst++ = '<';
        dst = PutStr(dst, e->name);
        return PutStr(dst, e->attributes);
    };

    if (!hasText && !hasChildren) {
        Room room(buffer, startTag + 4);
        room.Finish(Put(putStartTag(room.First()), "/>\r\n", 4));
    } else if (hasText && !e->isRecord && !hasChildren && textLength <= kEncodeChunk) {
        // The one-line field, the bulk of every document: one piece of room
        // for the start tag, the encoded value and the end tag.
        if (textLength >= kLongText) TQ_FAIL("strlen (string) < 5196");
        Room room(buffer, startTag + 1 + int64_t{textLength} * kMaxEncodedByte + nameLength + 5);
        char* dst = putStartTag(room.First());
        *dst++ = '>';
        char* const value = dst;
        const auto* p = reinterpret_cast<const unsigned char*>(e->text.CStr());
        const unsigned char* const end = p + textLength;
        p = SkipSpaces(p, end);
        dst = TrimSpaces(EncodeRun(dst, p, end), value);
        room.Finish(PutEndTag(dst, e->name));
    } else if (hasText && !e->isRecord && !hasChildren) {
        // The same for a value too long to encode in one piece.
        {
            Room room(buffer, startTag + 1);
            char* dst = putStartTag(room.First());
            *dst++ = '>';
            room.Finish(dst);
        }
        AppendEncodedXmlText(buffer, e->text.CStr(), textLength);
        Room room(buffer, int64_t{nameLength} + 5);
        room.Finish(PutEndTag(room.First(), e->name));
    } else {
        {
            Room room(buffer, startTag + 3);
            room.Finish(Put(putStartTag(room.First()), ">\r\n", 3));
        }
        if (hasText) {
            if (indent) std::memset(buffer.AppendRoom(pad + 4), ' ', static_cast<size_t>(pad) + 4);
            AppendEncodedXmlText(buffer, e->text.CStr(), textLength);
            buffer.Append("\r\n", 2);
        }
        for (const xmlout_element* child = e->firstChild; child; child = child->next)
            Write(child, output, indent, depth + 1, buffer);
        Room room(buffer, int64_t{pad} + nameLength + 5);
        room.Finish(PutEndTag(PutPad(room.First(), pad), e->name));
    }
    FlushIfLarge(output, buffer);
}

} // namespace tqxml
