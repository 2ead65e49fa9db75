#include "text/strarray.h"

#include "base/environment.h"

#include <cstring>
#include <memory>
#include <string_view>

namespace tqxml {

StrArray::~StrArray() {
    for (int32_t i = 0; i < _Count; ++i)
        delete _Array[i];
    delete[] _Array;
}

void StrArray::Add(const Str& text) {
    auto element = std::make_unique<Str>(text);
    if (_Count == capacity_) {
        const int32_t capacity = _Count + 1 + 16;
        Str** slots = new Str*[static_cast<size_t>(capacity)];
        if (_Count) std::memcpy(slots, _Array, sizeof(Str*) * static_cast<size_t>(_Count));
        delete[] _Array;
        _Array = slots;
        capacity_ = capacity;
    }
    _Array[_Count++] = element.release();
}

Str& StrArray::At(int32_t index) {
    if (index >= 0 && index < _Count) return *_Array[index];
    ReportAssertionAt(index < _Count ? "Index >= 0" : "Index < _Count", __FILE__, __LINE__);
    // Reset on every use, so a caller that writes to it cannot leak text
    // into a later bad access.
    thread_local Str scratch;
    scratch.Truncate(0);
    return scratch;
}

int32_t StrArray::IndexOf(const char* text) const {
    const std::string_view wanted(text ? text : "");
    for (int32_t i = 0; i < _Count; ++i)
        if (_Array[i]->View() == wanted) return i;
    return -1;
}

} // namespace tqxml
