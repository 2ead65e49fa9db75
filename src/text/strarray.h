// StrArray: an ordered list of texts that owns its elements. Each element is
// a separately allocated Str, so a reference from At stays valid while other
// elements are added.
#pragma once

#include "text/str.h"

#include <cstdint>

namespace tqxml {

class StrArray {
public:
    StrArray() = default;
    StrArray(const StrArray&) = delete;
    StrArray& operator=(const StrArray&) = delete;
    ~StrArray();

    // Appends a copy; a full array grows to the needed count plus 16 slots.
    void Add(const Str& text);

    int32_t Count() const { return _Count; }

    // The element itself (asserts "Index < _Count"). A bad index yields a
    // scratch empty text, never memory outside the array.
    Str& At(int32_t index);

    // Index of the first element equal byte for byte, or -1.
    int32_t IndexOf(const char* text) const;

private:
    Str** _Array = nullptr;
    int32_t capacity_ = 0;
    int32_t _Count = 0;
};

} // namespace tqxml
