#include "convert/transcode.h"

#include "convert/export.h"
#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <string_view>
#include <unistd.h>

namespace tqxml {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Replaces the references to forbidden control characters ("&#x001;") in
// UTF-8 text; a reference cut by the end of `text` is left in `carry`.
void ReplaceForbiddenReferences(std::string& text, std::string& carry) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        if (text.size() - i < 7) { // perhaps a reference cut by the block's end
            carry.assign(text, i, std::string::npos);
            break;
        }
        const std::string_view ref(text.data() + i, 7);
        if (ref.substr(0, 4) == "&#x0" && IsHex(ref[4]) && IsHex(ref[5]) && ref[6] == ';' &&
            ref != "&#x009;" && ref != "&#x00a;" && ref != "&#x00d;") {
            out += kReplacement;
            i += 7;
        } else {
            out += text[i++];
        }
    }
    text.swap(out);
}

// The bytes of one block through iconv; a byte without a character becomes
// U+FFFD. An incomplete sequence at the end waits in `pending`.
std::string Convert(iconv_t converter, std::string& pending, bool last) {
    std::string out;
    char buffer[1 << 16];
    char* in = pending.data();
    size_t inLeft = pending.size();
    while (inLeft > 0) {
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t done = ::iconv(converter, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (done != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (errno == EINVAL && !last) break; // the rest of the character comes next
        out += kReplacement;                 // EILSEQ, or a sequence cut at the very end
        ++in, --inLeft;
    }
    pending.erase(0, pending.size() - inLeft);
    return out;
}

// A converter from `encoding` to UTF-8; null (with errno set) when iconv has none.
struct Converter {
    explicit Converter(const std::string& encoding)
        : handle(::iconv_open("UTF-8", encoding.c_str())) {}
    ~Converter() {
        if (*this) ::iconv_close(handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    explicit operator bool() const { return handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle;
};

// The start tag's line, which holds the job's path: as UTF-8, checked.
std::string CheckedStartTag(const Converter& utf8, std::string& line) {
    std::string tag = Convert(utf8.handle, line, true), cut;
    ReplaceForbiddenReferences(tag, cut);
    return tag + cut;
}

} // namespace

bool IsKnownTextEncoding(const std::string& encoding) {
    return static_cast<bool>(Converter(encoding));
}

int TranscodeDocument(const std::string& from, const DocumentWriter& write,
                      const std::string& encoding, const std::function<bool()>& stop) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errno;
    const Converter texts(encoding), path("UTF-8");
    if (!texts || !path) {
        ::close(in);
        return EINVAL;
    }
    // The declaration and the blank line pass as they are; the start tag's
    // line is gathered whole, then checked as UTF-8; the rest is texts.
    int lines = 0;
    std::string startTag, pending, carry;
    int error = 0;
    char block[1 << 16];
    for (bool last = false; !last && error == 0;) {
        if (stop && stop()) {
            error = ECANCELED;
            break;
        }
        const ssize_t got = ::read(in, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = errno;
            break;
        }
        last = got == 0;
        std::string_view bytes(block, static_cast<size_t>(got));
        std::string out;
        while (lines < 3 && !bytes.empty()) {
            const size_t end = bytes.find('\n');
            const size_t take = end == std::string_view::npos ? bytes.size() : end + 1;
            (lines < 2 ? out : startTag).append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (end != std::string_view::npos && ++lines == 3) out += CheckedStartTag(path, startTag);
        }
        if (last && lines < 3) out += CheckedStartTag(path, startTag); // a document cut within
        pending.append(bytes);
        std::string text = carry + Convert(texts.handle, pending, last);
        carry.clear();
        ReplaceForbiddenReferences(text, carry);
        if (last) text += carry;
        error = write(out + text);
    }
    ::close(in);
    return error;
}

unsigned TranscodeIntoFile(const std::string& from, file_Class& output, const std::string& encoding,
                           const std::function<bool()>& stop, ConversionReport& report) {
    int error = TranscodeDocument(
        from,
        [&output](std::string_view bytes) {
            output.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
            return static_cast<int>(output.WriteError());
        },
        encoding, stop);
    output.Close();
    if (error == 0) error = static_cast<int>(output.WriteError());
    if (error == ECANCELED) return TQXML_Stopped;
    if (error != 0) {
        report.outputError = static_cast<uint32_t>(error);
        report.writeFailed = true;
    }
    return TQXML_Done;
}

} // namespace tqxml
