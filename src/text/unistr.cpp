#include "text/unistr.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tqxml {
namespace {

constexpr char16_t kLosslessBase = 0xDC00;

// On Windows the system converts the host's text and leaves no stray bytes to
// keep: there every unit, surrogate halves included, is written in full.
#ifdef _WIN32
constexpr bool kKeepsStrayBytes = false;
#else
constexpr bool kKeepsStrayBytes = true;
#endif

bool IsLosslessUnit(char16_t unit) {
    return kKeepsStrayBytes && unit >= 0xDC80 && unit <= 0xDCFF;
}

bool IsContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one sequence at `p` (with `left` bytes available) into `unit` and
// returns its length, or 0 when the bytes there do not start a sequence that
// ToUtf8 would write for a single unit. Overlong forms and four-byte
// sequences are refused; so are three-byte forms of lossless units, which
// ToUtf8 never writes.
int DecodeUnit(const uint8_t* p, size_t left, char16_t& unit) {
    const uint8_t b0 = p[0];
    if (b0 < 0x80) {
        unit = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !IsContinuation(p[1])) return 0;
        unit = static_cast<char16_t>(((b0 & 0x1F) << 6) | (p[1] & 0x3F));
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2])) return 0;
        const char16_t value =
            static_cast<char16_t>(((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        if (value < 0x800 || IsLosslessUnit(value)) return 0;
        unit = value;
        return 3;
    }
    return 0;
}

std::u16string DecodeUtf8(const char* text, size_t length) {
    std::u16string units;
    units.reserve(length);
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    size_t i = 0;
    while (i < length) {
        char16_t unit = 0;
        const int used = DecodeUnit(p + i, length - i, unit);
        if (used) {
            units.push_back(unit);
            i += static_cast<size_t>(used);
        } else {
            units.push_back(static_cast<char16_t>(kLosslessBase + p[i]));
            ++i;
        }
    }
    return units;
}

} // namespace

UniStr UniStr::FromHost(const char* hostText) {
    UniStr result;
    if (!hostText || !*hostText) return result;
#ifdef _WIN32
    const int length = static_cast<int>(std::strlen(hostText));
    const int count = MultiByteToWideChar(CP_ACP, 0, hostText, length, nullptr, 0);
    if (count > 0) {
        result.units_.resize(static_cast<size_t>(count));
        MultiByteToWideChar(CP_ACP, 0, hostText, length,
                            reinterpret_cast<wchar_t*>(result.units_.data()), count);
    }
#else
    result.units_ = DecodeUtf8(hostText, std::strlen(hostText));
#endif
    return result;
}

UniStr UniStr::FromUtf8(const Str& utf8) {
    UniStr result;
    result.units_ = DecodeUtf8(utf8.CStr(), static_cast<size_t>(utf8.Length()));
    return result;
}

Str UniStr::ToUtf8() const {
    Str result;
    if (units_.empty()) return result;
    result.Reserve(static_cast<int32_t>(units_.size() * 3));
    for (const char16_t unit : units_) {
        if (unit < 0x80) {
            // Unit 0 cannot be held in a Str; it ends nothing here either.
            if (unit) result.Append(static_cast<char>(unit));
        } else if (IsLosslessUnit(unit)) {
            result.Append(static_cast<char>(unit - kLosslessBase));
        } else if (unit < 0x800) {
            char* out = result.AppendRoom(2);
            out[0] = static_cast<char>(0xC0 | (unit >> 6));
            out[1] = static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            char* out = result.AppendRoom(3);
            out[0] = static_cast<char>(0xE0 | (unit >> 12));
            out[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out[2] = static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return result;
}

Str HostToUtf8(const char* hostText) {
    return UniStr::FromHost(hostText).ToUtf8();
}

} // namespace tqxml
