// Str: the library's owning 8-bit text. Always NUL-terminated, never null; an
// empty Str points at one shared read-only empty text. Copies are deep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tqxml {

class Str {
public:
    Str() noexcept;
    Str(const char* text); // NOLINT: implicit, like the texts it stands for
    Str(const char* text, int32_t length);
    explicit Str(char ch);
    Str(const char* first, const char* second);
    Str(const Str& other);
    Str(Str&& other) noexcept;
    Str& operator=(const Str& other);
    Str& operator=(Str&& other) noexcept;
    Str& operator=(const char* text);
    ~Str();

    // Reading.
    const char* CStr() const noexcept { return _Pointer; }
    int32_t Length() const noexcept { return _Length; }
    bool IsEmpty() const noexcept { return _Length == 0 || _Pointer[0] == '\0'; }
    const char* At(int32_t i) const;
    int32_t Find(char ch, int32_t from = 0) const;
    int32_t FindText(const char* text, int32_t from = 0) const;
    int32_t FindLast(char ch) const;
    Str Left(int32_t n) const;
    Str From(int32_t i) const;
    std::string_view View() const noexcept { return {_Pointer, static_cast<size_t>(_Length)}; }

    // Changing.
    void Append(char ch) {
        if (ch == '\0') return;
        if (_Length >= capacity_) Grow(int64_t{_Length} + 1);
        _Pointer[_Length++] = ch;
        _Pointer[_Length] = '\0';
    }
    void Append(const char* text);
    void Append(const Str& text);
    void Append(const char* bytes, int32_t count) {
        // Room at hand and not a piece of this text: the common case, inline.
        if (bytes && count > 0 && int64_t{_Length} + count <= capacity_ &&
            (bytes < _Pointer || bytes > _Pointer + capacity_)) {
            std::memcpy(_Pointer + _Length, bytes, static_cast<size_t>(count));
            _Length += count;
            _Pointer[_Length] = '\0';
            return;
        }
        AppendSlow(bytes, count);
    }
    void Fill(char ch, int32_t n);
    void Truncate(int32_t n);
    void Delete(int32_t start, int32_t count);
    void ReplaceChar(char oldCh, char newCh);
    void ReplaceText(const char* oldText, const char* newText);

    // Makes room for `n` characters without changing the text (kept across
    // Truncate, so a reused output buffer stops reallocating).
    void Reserve(int32_t n);
    int32_t Capacity() const noexcept { return capacity_ > 0 ? capacity_ : 0; }

    // Appends `count` bytes of uninitialised room and returns a pointer to
    // it; the caller fills exactly those bytes. For the hot formatting paths.
    char* AppendRoom(int32_t count) {
        // Nothing to add: the shared empty text must not be written.
        if (count <= 0) return _Pointer + _Length;
        if (int64_t{_Length} + count > capacity_) Grow(int64_t{_Length} + count);
        char* room = _Pointer + _Length;
        _Length += count;
        _Pointer[_Length] = '\0';
        return room;
    }

    // Room for `count` (at least one) more characters past the end, the
    // text unchanged: the caller writes there and ends the text with EndAt
    // where it stopped. For the document's writer.
    char* RoomAtEnd(int32_t count) {
        if (int64_t{_Length} + count > capacity_ || capacity_ == 0)
            Grow(int64_t{_Length} + (count > 0 ? count : 1));
        return _Pointer + _Length;
    }
    void EndAt(char* end) {
        _Length = static_cast<int32_t>(end - _Pointer);
        *end = '\0';
    }

    friend bool operator==(const Str& a, const Str& b) noexcept {
        return a._Length == b._Length && a.View() == b.View();
    }
    friend bool operator==(const Str& a, const char* b) noexcept {
        return a.View() == std::string_view(b ? b : "");
    }
    friend bool operator<(const Str& a, const Str& b) noexcept {
        return std::strcmp(a._Pointer, b._Pointer) < 0;
    }

private:
    void Grow(int64_t needed);
    void AppendSlow(const char* bytes, int32_t count);
    void Release() noexcept;

    char* _Pointer;
    int32_t _Length;
    // Bytes owned, terminator excluded; 0 for the shared empty text.
    int32_t capacity_;
};

} // namespace tqxml
