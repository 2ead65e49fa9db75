#include "text/strarray.h"

#include "base/environment.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace tqxml {
namespace {

// What a bad index yields: reset on every use, so a caller that writes to it
// cannot leak text into a later bad access.
Str& ScratchText() {
    thread_local Str scratch;
    scratch.Truncate(0);
    return scratch;
}

} // namespace

StrArray::StrArray(const StrArray& other) {
    for (int32_t i = 0; i < other._Count; ++i)
        Add(*other._Array[i]);
}

StrArray::StrArray(StrArray&& other) noexcept
    : _Array(other._Array), capacity_(other.capacity_), _Count(other._Count) {
    other._Array = nullptr;
    other.capacity_ = 0;
    other._Count = 0;
}

StrArray& StrArray::operator=(const StrArray& other) {
    if (this != &other) {
        StrArray copy(other);
        *this = std::move(copy);
    }
    return *this;
}

StrArray& StrArray::operator=(StrArray&& other) noexcept {
    if (this != &other) {
        Clear();
        delete[] _Array;
        _Array = other._Array;
        capacity_ = other.capacity_;
        _Count = other._Count;
        other._Array = nullptr;
        other.capacity_ = 0;
        other._Count = 0;
    }
    return *this;
}

StrArray::~StrArray() {
    Clear();
    delete[] _Array;
}

void StrArray::Clear() {
    for (int32_t i = 0; i < _Count; ++i)
        delete _Array[i];
    _Count = 0;
}

void StrArray::Push(Str* element) {
    if (_Count == capacity_) {
        const int32_t capacity = _Count + 1 + 16;
        Str** slots = new Str*[static_cast<size_t>(capacity)];
        if (_Count) std::memcpy(slots, _Array, sizeof(Str*) * static_cast<size_t>(_Count));
        delete[] _Array;
        _Array = slots;
        capacity_ = capacity;
    }
    _Array[_Count++] = element;
}

void StrArray::Add(const Str& text) {
    auto element = std::make_unique<Str>(text);
    Push(element.get());
    element.release();
}

void StrArray::Add(const char* text) {
    auto element = std::make_unique<Str>(text);
    Push(element.get());
    element.release();
}

bool StrArray::CheckIndex(int32_t index, int line) const {
    if (index >= 0 && index < _Count) return true;
    ReportAssertionAt(index < _Count ? "Index >= 0" : "Index < _Count", __FILE__, line);
    return false;
}

Str& StrArray::At(int32_t index) {
    return CheckIndex(index, __LINE__) ? *_Array[index] : ScratchText();
}

const Str& StrArray::At(int32_t index) const {
    return CheckIndex(index, __LINE__) ? *_Array[index] : ScratchText();
}

Str StrArray::Get(int32_t index) const {
    return CheckIndex(index, __LINE__) ? *_Array[index] : Str();
}

int32_t StrArray::IndexOf(const Str& text) const {
    for (int32_t i = 0; i < _Count; ++i)
        if (*_Array[i] == text) return i;
    return -1;
}

int32_t StrArray::IndexOf(const char* text) const {
    const std::string_view wanted(text ? text : "");
    for (int32_t i = 0; i < _Count; ++i)
        if (_Array[i]->View() == wanted) return i;
    return -1;
}

bool operator==(const StrArray& a, const StrArray& b) {
    if (a._Count != b._Count) return false;
    for (int32_t i = 0; i < a._Count; ++i)
        if (!(*a._Array[i] == *b._Array[i])) return false;
    return true;
}

} // namespace tqxml
