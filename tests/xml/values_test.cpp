#include "xml/values.h"

#include "base/std_compat.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tqxml {
namespace {

// The text a formatter gives for `value`.
template <auto Format, class Number> std::string Formatted(Number value) {
    char text[kValueTextSize];
    return std::string(text, Format(text, value));
}

// What the C runtime prints with "%.16G", its exponent widened to at least
// three digits as the document has it.
std::string PrintfReal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.16G", value);
    std::string s(text);
    const size_t e = s.find('E');
    if (e != std::string::npos) {
        const size_t digits = s.size() - (e + 2);
        if (digits < 3) s.insert(e + 2, 3 - digits, '0');
    }
    return s;
}

double FromBits(uint64_t bits) {
    return std::bit_cast<double>(bits);
}

// The no-value real 1E+308 is written as nothing, its neighbours as numbers;
// the non-finite values by name.
TEST(RealValue, NoValueAndNonFinite) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // clang-format off
    const std::pair<double, const char*> cases[] = {
        {1e308, ""}, {FromBits(0x7FE1CCF385EBC8A0), ""}, {std::nextafter(1e308, inf), "1E+308"},
        // The 16-digit rounding of the double just below is not 1E+308.
        {std::nextafter(1e308, 0.0), "9.999999999999998E+307"}, {-1e308, "-1E+308"},
        {inf, "INF"}, {-inf, "-INF"}, {nan, "NAN"}, {-nan, "-NAN"}};
    // clang-format on
    for (const auto& [value, text] : cases)
        EXPECT_EQ(Formatted<FormatReal>(value), text) << PrintfReal(value);
}

// The real form must equal the C runtime's "%.16G" (exponent widened) for
// every finite value; checked over random bit patterns and the values where
// layout or rounding changes.
TEST(RealValue, MatchesPrintfOverManyValues) {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values;
    values.reserve(1200000);
    const auto add = [&](double v) {
        values.push_back(v);
        values.push_back(-v);
    };
    const auto around = [&](double v, int steps) { // v and its neighbours
        double below = v;
        double above = v;
        add(v);
        for (int step = 0; step < steps; ++step) {
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, std::numeric_limits<double>::infinity());
            add(below);
            if (std::isfinite(above)) add(above);
        }
    };
    const auto text = [](const std::string& digits, int exponent) {
        return std::strtod((digits + "e" + std::to_string(exponent)).c_str(), nullptr);
    };

    // Any finite double.
    while (values.size() < 400000) {
        const double v = FromBits(random());
        if (std::isfinite(v)) values.push_back(v);
    }
    for (int i = 0; i < 50000; ++i) {
        // Integers of every size, up to and past 2^53, and subnormals.
        add(static_cast<double>(random() >> (random() % 64)));
        add(FromBits((random() & 0x000FFFFFFFFFFFFFull) >> (random() % 52)));
        // Exact ties at the 17th significant digit: round half to even.
        add(static_cast<double>(1000000000000000ull + random() % 3503599627370496ull) + 0.5);
        add(static_cast<double>(100000000000000ull + random() % 900000000000000ull) +
            0.25 * static_cast<double>(1 + 2 * (random() % 2)));
        // Survey-like values: coordinates with a few decimals, radians, residuals.
        const double scale = std::pow(10.0, static_cast<int>(random() % 4));
        add(std::round(unit(random) * 7000000.0 * scale) / scale);
        add(unit(random) * 6.283185307179586);
        add((unit(random) - 0.5) * 1e-3);
    }
    // Powers of ten, where plain turns scientific and the digit count
    // changes, and halfway to their 16-digit neighbours.
    for (int k = -323; k <= 308; ++k) {
        around(text("1", k), 4);
        add(text("9.9999999999999995", k - 1));
        add(text("1.0000000000000005", k));
    }
    around(1e308, 50); // the no-value real
    around(std::numeric_limits<double>::max(), 50);
    for (double v : {0.15, 2.5, 0.125, 9.9999999999999995e15, 1000000000000000.5})
        add(v);
    // Decimal texts of 16 to 18 significant digits at every magnitude: the
    // 16th digit is where rounding happens.
    for (int i = 0; i < 60000; ++i) {
        std::string digits = std::to_string(1 + random() % 9) + ".";
        const int count = 15 + static_cast<int>(random() % 3);
        for (int d = 0; d < count; ++d)
            digits += static_cast<char>('0' + random() % 10);
        if (random() % 4 == 0) digits.back() = '5';
        add(text(digits, static_cast<int>(random() % 630) - 320));
    }

    EXPECT_GE(values.size(), 1000000u);
    int mismatched = 0;
    for (double v : values)
        if (v != 1e308 && Formatted<FormatReal>(v) != PrintfReal(v) && ++mismatched <= 5)
            ADD_FAILURE() << PrintfReal(v) << " (bits " << std::bit_cast<uint64_t>(v) << ") gave "
                          << Formatted<FormatReal>(v);
    EXPECT_EQ(mismatched, 0);
}

// The WebAssembly build's standard library writes no floating-point numbers,
// so there the digits of a real outside the plain range come from printf's
// "%.15e": the same text as to_chars' at that precision (and at the others
// the form is the same), for any finite value.
TEST(RealValue, PrintfScientificDigitsAreToCharsDigits) {
    std::mt19937_64 random(7);
    const double max = std::numeric_limits<double>::max();
    std::vector<double> values = {0.0, 5e-324, 2.2250738585072014e-308, 1e-5, 9.5, 1e16, max};
    for (int k = -323; k <= 308; ++k)
        values.push_back(std::nextafter(std::pow(10.0, k), 0.0));
    while (values.size() < 200000) {
        const double v = std::fabs(FromBits(random()));
        if (std::isfinite(v)) values.push_back(v);
    }
    int mismatched = 0;
    for (double v : values) {
        for (int precision : {0, 1, 15, 16}) {
            char ours[kValueTextSize], theirs[kValueTextSize];
            const std::string printed(
                ours, PrintfScientificChars(ours, ours + sizeof ours, v, precision));
            const std::string expected(theirs,
                                       std::to_chars(theirs, theirs + sizeof theirs, v,
                                                     std::chars_format::scientific, precision)
                                           .ptr);
            if (printed != expected && ++mismatched <= 5)
                ADD_FAILURE() << "precision " << precision << ": " << printed << " for "
                              << expected;
        }
    }
    EXPECT_EQ(mismatched, 0);
}

TEST(IntegerValues, EdgesAndThePaddedTypeNumber) {
    EXPECT_EQ(Formatted<FormatUInt64>(UINT64_MAX), "18446744073709551615");
    EXPECT_EQ(Formatted<FormatHex>(0), "0x00000000");
    EXPECT_EQ(Formatted<FormatHex>(0xABCDEF12u), "0xabcdef12");
    // The type number as "%03d" has it, whatever its sign and width.
    for (int32_t v : {INT32_MIN, -1000, -500, -99, -50, -10, -9, -5, -1, 0, 1, 7, 9, 10, 99, 100,
                      138, 999, 1000, 1234, INT32_MAX}) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%03d", v);
        EXPECT_EQ(Formatted<FormatInt3>(v), expected);
    }
    for (uint32_t v : {0u, 1u, 9u, 10u, 99u, 100u, 65535u, 4294967295u})
        EXPECT_EQ(Formatted<FormatUnsigned>(v), std::to_string(v));
    for (int32_t v : {INT32_MIN, -12345, -10, -1, 0, 9, 100, INT32_MAX})
        EXPECT_EQ(Formatted<FormatInt>(v), std::to_string(v));
}

} // namespace
} // namespace tqxml
