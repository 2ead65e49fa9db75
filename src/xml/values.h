// The fixed textual forms in which field values reach the document, each a
// formatter into a caller's kValueTextSize-byte array that returns the end of
// the text, without any allocation. Texts pass unchanged and booleans are
// "true" or "false"; neither needs a formatter.
#pragma once

#include "text/str.h"

#include <cstdint>

namespace tqxml {

// Room enough for the longest text of any numeric form (a real needs 23).
inline constexpr int32_t kValueTextSize = 32;

// The stored real that holds no value; written as the empty text.
inline constexpr double kNoValueReal = 1e308;

// 16 significant digits, trailing zeros dropped, plain notation for decimal
// exponents -4..15 and otherwise d.dddE+xxx with at least three exponent
// digits ("1E+020", "-2.25E+300"). Empty for kNoValueReal. Non-finite values
// give "INF", "-INF", "NAN" or "-NAN".
char* FormatReal(char* out, double value);

// Decimal.
char* FormatUnsigned(char* out, uint32_t value);
char* FormatInt(char* out, int32_t value);
void AppendInt(Str& out, int32_t value);
char* FormatUInt64(char* out, uint64_t value);

// At least three characters, zero-filled after the sign: 7 -> "007",
// -5 -> "-05", 1234 -> "1234".
char* FormatInt3(char* out, int32_t value);

// "0x" and exactly eight lower-case hexadecimal digits; used for record
// references among others.
char* FormatHex(char* out, uint32_t value);

} // namespace tqxml
