// UniStr: 16-bit text, used only to carry file names between the host's
// code page, 16-bit units and UTF-8.
//
// On POSIX the host's code page is taken to be UTF-8, and a host text need not
// be valid UTF-8. So that any path reaches the file layer as the very bytes
// the host gave, every byte that does not belong to a well-formed UTF-8
// sequence of one to three bytes is held as the unit U+DC00 + byte
// (U+DC80..U+DCFF), and ToUtf8 writes such a unit back as that single byte.
// Host text -> UniStr -> UTF-8 is therefore the identity for every byte string.
// On Windows the units are the system's conversion from the ANSI code page,
// and every unit is written in full (a surrogate half as three bytes).
#pragma once

#include "text/str.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tqxml {

class UniStr {
public:
    UniStr() = default;
    explicit UniStr(std::u16string_view units) : units_(units) {}

    // The host's text: on POSIX UTF-8 with lossless bytes (see above), on
    // Windows the system's ANSI code page. Null or "" gives the empty text.
    static UniStr FromHost(const char* hostText);
    // Decodes UTF-8 as ToUtf8 encodes it; bytes that are not part of such a
    // sequence become lossless units.
    static UniStr FromUtf8(const Str& utf8);

    // Each unit on its own: 1, 2 or 3 bytes, surrogate halves never paired
    // (each half gives three bytes); a lossless unit gives its single byte.
    Str ToUtf8() const;

    int32_t Length() const { return static_cast<int32_t>(units_.size()); }
    bool IsEmpty() const { return units_.empty(); }
    const char16_t* Units() const { return units_.c_str(); }
    std::u16string_view View() const { return units_; }
    void Append(char16_t unit) { units_.push_back(unit); }

    friend bool operator==(const UniStr& a, const UniStr& b) { return a.units_ == b.units_; }

private:
    std::u16string units_;
};

// The export's conversion of a host path argument to the library's UTF-8.
Str HostToUtf8(const char* hostText);

} // namespace tqxml
