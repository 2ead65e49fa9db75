#include "xml/values.h"

#include "base/std_compat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace tqxml {
namespace {

// Significant digits of the real form.
constexpr int kRealDigits = 16;
// From this decimal exponent on, and below kLowestPlainExponent, a real is
// written in scientific notation.
constexpr int kFirstScientificExponent = kRealDigits;
constexpr int kLowestPlainExponent = -4;

inline char* Put(char* out, const char* bytes, size_t count) {
    std::memcpy(out, bytes, count);
    return out + count;
}

char* PutNonFinite(char* out, double value) {
    if (std::signbit(value)) *out++ = '-';
    return Put(out, std::isnan(value) ? "NAN" : "INF", 3);
}

// Lays out `count` significant digits (the first non-zero unless the value is
// zero) with decimal exponent `exponent`.
char* PutPlainOrScientific(char* out, const char* digits, int count, int exponent) {
    if (exponent < kLowestPlainExponent || exponent >= kFirstScientificExponent) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            out = Put(out, digits + 1, static_cast<size_t>(count - 1));
        }
        *out++ = 'E';
        *out++ = exponent < 0 ? '-' : '+';
        const unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
        out[0] = static_cast<char>('0' + magnitude / 100);
        out[1] = static_cast<char>('0' + magnitude / 10 % 10);
        out[2] = static_cast<char>('0' + magnitude % 10);
        return out + 3;
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        std::memset(out, '0', static_cast<size_t>(-exponent - 1));
        out += -exponent - 1;
        return Put(out, digits, static_cast<size_t>(count));
    }
    const int whole = exponent + 1;
    if (count <= whole) {
        out = Put(out, digits, static_cast<size_t>(count));
        std::memset(out, '0', static_cast<size_t>(whole - count));
        return out + (whole - count);
    }
    out = Put(out, digits, static_cast<size_t>(whole));
    *out++ = '.';
    return Put(out, digits + whole, static_cast<size_t>(count - whole));
}

// Significant digits and decimal exponent of a number.
struct Decimal {
    char digits[kValueTextSize];
    int count;
    int exponent;
};

// Reads to_chars' scientific form of a non-negative number,
// "d[.ddd]e[+-]dd[d]".
void ReadScientific(const char* p, const char* end, Decimal& decimal) {
    decimal.count = 0;
    decimal.digits[decimal.count++] = *p++;
    if (*p == '.')
        for (++p; *p != 'e'; ++p)
            decimal.digits[decimal.count++] = *p;
    ++p; // the 'e'
    const bool negative = *p++ == '-';
    int exponent = 0;
    for (; p < end; ++p)
        exponent = exponent * 10 + (*p - '0');
    decimal.exponent = negative ? -exponent : exponent;
}

#if defined(__cpp_lib_to_chars)
// Turns the shortest digits that read back as `magnitude` into its rounding
// to 16 significant digits where that can be done without the exact value;
// false where it cannot.
//
// Seventeen digits are the correctly rounded 17-digit form of the value, so
// no 16-digit midpoint lies between them and the value unless they are that
// midpoint (a final 5): rounding them to 16 rounds the value.
//
// Sixteen digits or fewer lie within half a unit in the last place of the
// value; when that unit is no larger than the spacing of 16-digit numbers at
// the value's exponent, no other 16-digit number is nearer. A lone 1 may
// stand for a value just below its power of ten, whose own exponent is one
// less; that case takes the long way too.
bool RoundShortest(double magnitude, Decimal& decimal) {
    if (decimal.count > kRealDigits) {
        const char last = decimal.digits[kRealDigits];
        if (decimal.count != kRealDigits + 1 || last == '5') return false;
        decimal.count = kRealDigits;
        if (last > '5') {
            int i = kRealDigits - 1;
            while (i >= 0 && decimal.digits[i] == '9')
                decimal.digits[i--] = '0';
            if (i >= 0) {
                ++decimal.digits[i];
            } else {
                decimal.digits[0] = '1';
                ++decimal.exponent;
            }
        }
        return true;
    }
    if (decimal.count == 1 && decimal.digits[0] == '1') return false;
    const auto biased = static_cast<int>((BitCast<uint64_t>(magnitude) >> 52) & 0x7FF);
    const int unitExponent = (biased == 0 ? 1 : biased) - 1075; // the unit is 2^unitExponent
    // 2^a and 10^b are never this close for the exponents a double has, so
    // the rounding of the product cannot change the answer.
    constexpr double kLog10Of2 = 0.30102999566398119521;
    return unitExponent * kLog10Of2 <= decimal.exponent - (kRealDigits - 1);
}
#endif

template <typename Number> char* PutDecimal(char* out, Number value) {
    return std::to_chars(out, out + kValueTextSize, value).ptr;
}

constexpr uint64_t kPowersOfTen[20] = {1ull,
                                       10ull,
                                       100ull,
                                       1000ull,
                                       10000ull,
                                       100000ull,
                                       1000000ull,
                                       10000000ull,
                                       100000000ull,
                                       1000000000ull,
                                       10000000000ull,
                                       100000000000ull,
                                       1000000000000ull,
                                       10000000000000ull,
                                       100000000000000ull,
                                       1000000000000000ull,
                                       10000000000000000ull,
                                       100000000000000000ull,
                                       1000000000000000000ull,
                                       10000000000000000000ull};

// The 16 significant digits of a value in the plain range, worked out
// exactly in integers: a double is m * 2^e, and for decimal exponents from
// -4 to 15 the factor 10^(15 - E) is a 64-bit integer, so m * 10^(15 - E)
// is exact in 128 bits and the digits are that product shifted by e,
// rounded half to even like the C runtime. Gives the digits as an integer
// in [10^15, 10^16) and the exponent of the rounded value; false for a
// value outside the range (zero, subnormal, huge, tiny, non-finite).
#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Wide;

bool PlainDigits(double magnitude, uint64_t& digits, int& exponent) {
    const uint64_t bits = BitCast<uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0 || biased >= 0x7FF) return false;
    const uint64_t significand = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const int binaryExponent = biased - 1075;
    // floor(log10(2^(biased - 1023))): the exponent or one below it.
    int decimal = ((biased - 1023) * 78913) >> 18;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (decimal < kLowestPlainExponent || decimal >= kFirstScientificExponent) return false;
        const Wide product =
            static_cast<Wide>(significand) * kPowersOfTen[15 - decimal];
        Wide whole = product;
        bool up = false;
        if (binaryExponent > 0) {
            whole = product << binaryExponent;
        } else if (binaryExponent < 0) {
            const int shift = -binaryExponent;
            whole = product >> shift;
            const Wide rest = product & ((static_cast<Wide>(1) << shift) - 1);
            const Wide half = static_cast<Wide>(1) << (shift - 1);
            up = rest > half || (rest == half && (whole & 1) != 0);
        }
        if (whole < kPowersOfTen[15]) {
            --decimal; // the estimate was one too high
            continue;
        }
        if (whole >= kPowersOfTen[16]) {
            ++decimal;
            continue;
        }
        digits = static_cast<uint64_t>(whole) + (up ? 1 : 0);
        if (digits == kPowersOfTen[16]) { // rounded up to the next power of ten
            digits = kPowersOfTen[15];
            ++decimal;
            if (decimal >= kFirstScientificExponent) return false;
        }
        exponent = decimal;
        return true;
    }
    return false;
}

constexpr std::array<char, 200> MakeDigitPairs() {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}
constexpr std::array<char, 200> kDigitPairs = MakeDigitPairs();

void PutFourDigits(char* out, uint32_t value) {
    std::memcpy(out, kDigitPairs.data() + 2 * (value / 100), 2);
    std::memcpy(out + 2, kDigitPairs.data() + 2 * (value % 100), 2);
}

void PutEightDigits(char* out, uint32_t value) {
    PutFourDigits(out, value / 10000);
    PutFourDigits(out + 4, value % 10000);
}

// The plain form of 16 digits (`digits`, trailing zeros included) with
// decimal exponent -4 to 15: the whole part and, where the digits go on,
// the point and the rest without trailing zeros.
char* PutPlain(char* out, const char* digits, int exponent) {
    int count = 16;
    while (count > 1 && digits[count - 1] == '0')
        --count;
    if (exponent < 0) {
        std::memcpy(out, "0.000", 5);
        out += 1 - exponent; // "0." and the zeros before the first digit
        std::memcpy(out, digits, 16);
        return out + count;
    }
    const int whole = exponent + 1;
    std::memcpy(out, digits, 16);
    if (count <= whole) return out + whole;
    out[whole] = '.';
    std::memcpy(out + whole + 1, digits + whole, static_cast<size_t>(16 - whole));
    return out + count + 1;
}
#endif

} // namespace

char* FormatReal(char* out, double value) {
    if (value == kNoValueReal) return out;
    if (!std::isfinite(value)) return PutNonFinite(out, value);
    if (std::signbit(value)) *out++ = '-';
    const double magnitude = std::fabs(value);

#if defined(__SIZEOF_INT128__)
    uint64_t plain;
    int exponent;
    if (PlainDigits(magnitude, plain, exponent)) {
        char digits[16];
        PutEightDigits(digits, static_cast<uint32_t>(plain / 100000000));
        PutEightDigits(digits + 8, static_cast<uint32_t>(plain % 100000000));
        return PutPlain(out, digits, exponent);
    }
#endif

    // The shortest digits that read back as the value are quick to find and
    // are usually the 16-digit rounding as well; where they may not be, the
    // correctly rounded 16 digits are asked for. The layout is ours.
    // Without the shortest form (an older standard library) the correctly
    // rounded digits come straight from printf's "%.15e".
    char scientific[kValueTextSize];
    Decimal decimal;
    bool rounded = false;
#if defined(__cpp_lib_to_chars)
    const char* shortest = std::to_chars(scientific, scientific + sizeof scientific, magnitude,
                                         std::chars_format::scientific)
                               .ptr;
    ReadScientific(scientific, shortest, decimal);
    rounded = RoundShortest(magnitude, decimal);
#endif
    if (!rounded) {
        const char* end =
            ScientificChars(scientific, scientific + sizeof scientific, magnitude, kRealDigits - 1);
        ReadScientific(scientific, end, decimal);
    }
    while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0')
        --decimal.count;
    return PutPlainOrScientific(out, decimal.digits, decimal.count, decimal.exponent);
}

char* FormatUnsigned(char* out, uint32_t value) {
    return PutDecimal(out, value);
}
char* FormatInt(char* out, int32_t value) {
    return PutDecimal(out, value);
}
char* FormatUInt64(char* out, uint64_t value) {
    return PutDecimal(out, value);
}

char* FormatInt3(char* out, int32_t value) {
    char digits[kValueTextSize];
    const uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    const int count = static_cast<int>(PutDecimal(digits, magnitude) - digits);
    const int sign = value < 0 ? 1 : 0;
    if (sign) *out++ = '-';
    // The sign takes one of the three positions.
    for (int fill = 3 - sign - count; fill > 0; --fill)
        *out++ = '0';
    return Put(out, digits, static_cast<size_t>(count));
}

char* FormatHex(char* out, uint32_t value) {
    static constexpr char kHex[] = "0123456789abcdef";
    out[0] = '0';
    out[1] = 'x';
    for (int i = 0; i < 8; ++i)
        out[2 + i] = kHex[(value >> (28 - 4 * i)) & 0xF];
    return out + 10;
}

void AppendInt(Str& out, int32_t value) {
    char text[kValueTextSize];
    out.Append(text, static_cast<int32_t>(FormatInt(text, value) - text));
}

} // namespace tqxml
