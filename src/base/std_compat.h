// The few C++20 library facilities that the library uses and that an older
// standard library lacks (the WebAssembly build's, whose C++ library predates
// them): each is the standard one where the standard library has it, else a
// fallback with the same result. The native builds take the standard ones.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>
#include <version>

namespace tqxml {

// std::bit_cast; the compiler's own builtin is the same operation.
template <class To, class From> constexpr To BitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                  std::is_trivially_copyable_v<From>);
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}

// std::make_unique_for_overwrite for an array: its elements left
// uninitialised, for a block that is written before it is read.
template <class T> std::unique_ptr<T> MakeUniqueForOverwrite(size_t count) {
    static_assert(std::is_unbounded_array_v<T>);
#if defined(__cpp_lib_smart_ptr_for_overwrite)
    return std::make_unique_for_overwrite<T>(count);
#else
    return std::unique_ptr<T>(new std::remove_extent_t<T>[count]);
#endif
}

// printf's "%.*e" of a finite non-negative `value` into [first, last): the
// correctly rounded form "d.ddde+dd" with `precision` digits after the
// point. What std::to_chars writes in scientific form with a precision,
// which ScientificChars takes where the standard library has it (the macro
// __cpp_lib_to_chars says so, and that its shortest form is there too).
inline char* PrintfScientificChars(char* first, char* last, double value, int precision) {
    const int length =
        std::snprintf(first, static_cast<size_t>(last - first), "%.*e", precision, value);
    return length < 0 || length >= last - first ? first : first + length;
}

inline char* ScientificChars(char* first, char* last, double value, int precision) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value, std::chars_format::scientific, precision).ptr;
#else
    return PrintfScientificChars(first, last, value, precision);
#endif
}

} // namespace tqxml
