// The fixed textual forms in which field values reach the document. Each form
// comes three ways: a new Str, an append to an existing Str, and a formatter
// into a caller's kValueTextSize-byte array (returning the end of the text),
// the last two without any heap allocation of their own.
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
Str RealValue(double value);
void AppendReal(Str& out, double value);
char* FormatReal(char* out, double value);

// A copy of the bytes; null gives the empty text.
Str TextValue(const char* text);

// "true" or "false".
Str BoolValue(int32_t value);
Str BoolValue(int8_t value);
Str BoolValue(bool value);
void AppendBool(Str& out, bool value);

// Decimal.
Str UnsignedValue(uint32_t value);
void AppendUnsigned(Str& out, uint32_t value);
char* FormatUnsigned(char* out, uint32_t value);

Str IntValue(int32_t value);
void AppendInt(Str& out, int32_t value);
char* FormatInt(char* out, int32_t value);

// At least three characters, zero-filled after the sign: 7 -> "007",
// -5 -> "-05", 1234 -> "1234".
Str Int3Value(int32_t value);
void AppendInt3(Str& out, int32_t value);
char* FormatInt3(char* out, int32_t value);

// "0x" and exactly eight lower-case hexadecimal digits; used for record
// references among others.
Str HexValue(uint32_t value);
void AppendHex(Str& out, uint32_t value);
char* FormatHex(char* out, uint32_t value);

Str UInt64Value(uint64_t value);
void AppendUInt64(Str& out, uint64_t value);
char* FormatUInt64(char* out, uint64_t value);

} // namespace tqxml
