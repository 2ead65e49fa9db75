#include "text/str.h"

#include "base/environment.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tqxml {
namespace {

// The shared empty text: never written, never freed.
char g_emptyText[1] = {'\0'};

size_t SafeLength(const char* text) {
    return text ? std::strlen(text) : 0;
}

} // namespace

Str::Str() noexcept : _Pointer(g_emptyText), _Length(0), capacity_(0) {}

Str::Str(const char* text) : Str(text, static_cast<int32_t>(SafeLength(text))) {}

Str::Str(const char* text, int32_t length) : Str() {
    if (text && length > 0) Append(text, length);
}

Str::Str(char ch) : Str() {
    Append(ch);
}

Str::Str(const char* first, const char* second) : Str() {
    Append(first);
    Append(second);
}

Str::Str(const Str& other) : Str(other._Pointer, other._Length) {}

Str::Str(Str&& other) noexcept
    : _Pointer(other._Pointer), _Length(other._Length), capacity_(other.capacity_) {
    other._Pointer = g_emptyText;
    other._Length = 0;
    other.capacity_ = 0;
}

Str& Str::operator=(const Str& other) {
    if (this != &other) {
        _Length = 0;
        if (capacity_) _Pointer[0] = '\0';
        Append(other._Pointer, other._Length);
    }
    return *this;
}

Str& Str::operator=(Str&& other) noexcept {
    if (this != &other) {
        Release();
        _Pointer = other._Pointer;
        _Length = other._Length;
        capacity_ = other.capacity_;
        other._Pointer = g_emptyText;
        other._Length = 0;
        other.capacity_ = 0;
    }
    return *this;
}

Str& Str::operator=(const char* text) {
    if (text >= _Pointer && text <= _Pointer + _Length) return *this = Str(text);
    Truncate(0);
    Append(text);
    return *this;
}

Str::~Str() {
    Release();
}

void Str::Release() noexcept {
    if (capacity_ > 0) std::free(_Pointer);
    _Pointer = g_emptyText;
    _Length = 0;
    capacity_ = 0;
}

void Str::Grow(int64_t needed) {
    if (needed <= capacity_) return;
    // A text never outgrows its signed 32-bit length.
    if (needed > INT32_MAX - 1) throw std::bad_alloc();
    // Geometric growth keeps a long run of appends linear.
    int64_t capacity = std::max<int64_t>(needed, int64_t{std::max(capacity_, 0)} * 2);
    capacity = std::max<int64_t>(capacity, 15);
    if (capacity > INT32_MAX - 1) capacity = INT32_MAX - 1;
    char* block =
        static_cast<char*>(capacity_ > 0 ? std::realloc(_Pointer, static_cast<size_t>(capacity) + 1)
                                         : std::malloc(static_cast<size_t>(capacity) + 1));
    if (!block) throw std::bad_alloc();
    if (capacity_ == 0) block[0] = '\0';
    _Pointer = block;
    capacity_ = static_cast<int32_t>(capacity);
}

void Str::Reserve(int32_t n) {
    Grow(n);
}

const char* Str::At(int32_t i) const {
    TQ_ASSERT(i < _Length);
    TQ_ASSERT(i >= 0);
    if (i < 0 || i > _Length) return _Pointer + _Length;
    return _Pointer + i;
}

int32_t Str::Find(char ch, int32_t from) const {
    if (from < 0) from = 0;
    if (from >= _Length) return _Length;
    const void* hit = std::memchr(_Pointer + from, ch, static_cast<size_t>(_Length - from));
    return hit ? static_cast<int32_t>(static_cast<const char*>(hit) - _Pointer) : _Length;
}

int32_t Str::FindText(const char* text, int32_t from) const {
    const size_t n = SafeLength(text);
    if (from < 0) from = 0;
    if (n == 0 || from >= _Length) return _Length;
    size_t pos = View().find(std::string_view(text, n), static_cast<size_t>(from));
    return pos == std::string_view::npos ? _Length : static_cast<int32_t>(pos);
}

int32_t Str::FindLast(char ch) const {
    size_t pos = View().rfind(ch);
    return pos == std::string_view::npos ? _Length : static_cast<int32_t>(pos);
}

Str Str::Left(int32_t n) const {
    if (n == 0) return Str();
    TQ_ASSERT(n > 0);
    if (n < 0) return Str();
    return Str(_Pointer, std::min(n, _Length));
}

Str Str::From(int32_t i) const {
    TQ_ASSERT(i >= 0);
    if (i < 0 || i >= _Length) return Str();
    return Str(_Pointer + i, _Length - i);
}

void Str::Append(const char* text) {
    Append(text, static_cast<int32_t>(SafeLength(text)));
}

void Str::Append(const Str& text) {
    Append(text._Pointer, text._Length);
}

void Str::AppendSlow(const char* bytes, int32_t count) {
    if (!bytes || count <= 0) return;
    if (bytes >= _Pointer && bytes < _Pointer + _Length) {
        // Appending a piece of ourselves: copy first, the block may move.
        Str copy(bytes, count);
        Append(copy._Pointer, copy._Length);
        return;
    }
    Grow(static_cast<int64_t>(_Length) + count);
    std::memcpy(_Pointer + _Length, bytes, static_cast<size_t>(count));
    _Length += count;
    _Pointer[_Length] = '\0';
}

void Str::Fill(char ch, int32_t n) {
    TQ_ASSERT(ch != '\0');
    Truncate(0);
    if (ch == '\0' || n <= 0) return;
    std::memset(AppendRoom(n), ch, static_cast<size_t>(n));
}

void Str::Truncate(int32_t n) {
    if (n < 0) n = 0;
    if (n < _Length) {
        _Length = n;
        _Pointer[n] = '\0';
    }
}

void Str::Delete(int32_t start, int32_t count) {
    TQ_ASSERT_TEXT(start >= 0, "i >= 0");
    TQ_ASSERT_TEXT(count >= 0, "n >= 0");
    if (start < 0 || count < 0 || start >= _Length) return;
    count = std::min(count, _Length - start);
    std::memmove(_Pointer + start, _Pointer + start + count,
                 static_cast<size_t>(_Length - start - count) + 1);
    _Length -= count;
}

void Str::ReplaceChar(char oldCh, char newCh) {
    TQ_ASSERT_TEXT(oldCh && newCh, "Old && New");
    if (!oldCh || !newCh) return;
    for (int32_t i = 0; i < _Length; ++i)
        if (_Pointer[i] == oldCh) _Pointer[i] = newCh;
}

void Str::ReplaceText(const char* oldText, const char* newText) {
    TQ_ASSERT_TEXT(oldText, "Old");
    const int32_t oldLength = static_cast<int32_t>(SafeLength(oldText));
    TQ_ASSERT_TEXT(oldLength > 0, "LengthOld > 0");
    if (oldLength == 0 || _Length == 0) return;
    int32_t hit = FindText(oldText, 0);
    if (hit == _Length) return;
    // One pass over the text as it was: what is inserted is never searched.
    Str result;
    result.Reserve(_Length);
    int32_t from = 0;
    while (hit < _Length) {
        result.Append(_Pointer + from, hit - from);
        result.Append(newText);
        from = hit + oldLength;
        hit = FindText(oldText, from);
    }
    result.Append(_Pointer + from, _Length - from);
    *this = std::move(result);
}

} // namespace tqxml
