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
    StrArray(const StrArray& other);
    StrArray(StrArray&& other) noexcept;
    StrArray& operator=(const StrArray& other);
    StrArray& operator=(StrArray&& other) noexcept;
    virtual ~StrArray();

    // Appends a copy; a full array grows to the needed count plus 16 slots.
    void Add(const Str& text);
    void Add(const char* text);

    int32_t Count() const { return _Count; }
    int32_t Capacity() const { return capacity_; }

    // The element itself (asserts "Index < _Count"). A bad index yields a
    // scratch empty text, never memory outside the array.
    Str& At(int32_t index);
    const Str& At(int32_t index) const;
    // A copy of the element (asserts "Index < _Count"); empty for a bad index.
    Str Get(int32_t index) const;
    void Clear();

    // Index of the first element equal byte for byte, or -1.
    int32_t IndexOf(const Str& text) const;
    int32_t IndexOf(const char* text) const;


    friend bool operator==(const StrArray& a, const StrArray& b);

private:
    bool CheckIndex(int32_t index, int line) const;
    void Push(Str* element);

    Str** _Array = nullptr;
    int32_t capacity_ = 0;
    int32_t _Count = 0;
};

} // namespace tqxml
