#include "convert/values.h"
#include "convert/xml_fields.h"

#include <gtest/gtest.h>

#include <bit>
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

TEST(RealValue, NoValueAndItsNeighbours) {
    EXPECT_EQ(Formatted<FormatReal>(1e308), "");
    EXPECT_EQ(Formatted<FormatReal>(FromBits(0x7FE1CCF385EBC8A0)), "");
    EXPECT_EQ(Formatted<FormatReal>(std::nextafter(1e308, std::numeric_limits<double>::infinity())),
              "1E+308");
    // The 16-digit rounding of the double just below is not 1E+308.
    EXPECT_EQ(Formatted<FormatReal>(std::nextafter(1e308, 0.0)), "9.999999999999998E+307");
    EXPECT_EQ(Formatted<FormatReal>(-1e308), "-1E+308");
}

TEST(RealValue, Layout) {
    EXPECT_EQ(Formatted<FormatReal>(0.0), "0");
    EXPECT_EQ(Formatted<FormatReal>(-0.0), "-0");
    EXPECT_EQ(Formatted<FormatReal>(1.5), "1.5");
    EXPECT_EQ(Formatted<FormatReal>(0.1), "0.1");
    EXPECT_EQ(Formatted<FormatReal>(-2.0), "-2");
    EXPECT_EQ(Formatted<FormatReal>(100.0), "100");
    EXPECT_EQ(Formatted<FormatReal>(1e15), "1000000000000000");
    EXPECT_EQ(Formatted<FormatReal>(1e16), "1E+016");
    EXPECT_EQ(Formatted<FormatReal>(1e20), "1E+020");
    EXPECT_EQ(Formatted<FormatReal>(0.0001), "0.0001");
    EXPECT_EQ(Formatted<FormatReal>(0.00001), "1E-005");
    EXPECT_EQ(Formatted<FormatReal>(1.5e-5), "1.5E-005");
    EXPECT_EQ(Formatted<FormatReal>(-2.25e300), "-2.25E+300");
    EXPECT_EQ(Formatted<FormatReal>(123456789.123456789), "123456789.1234568");
    EXPECT_EQ(Formatted<FormatReal>(0.30000000000000004), "0.3");
    EXPECT_EQ(Formatted<FormatReal>(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(Formatted<FormatReal>(-0.000123456789012345678), "-0.0001234567890123457");
    EXPECT_EQ(Formatted<FormatReal>(5e-324), "4.940656458412465E-324");
    EXPECT_EQ(Formatted<FormatReal>(std::numeric_limits<double>::max()), "1.797693134862316E+308");
    // Rounding that carries into a new leading digit moves the exponent.
    EXPECT_EQ(Formatted<FormatReal>(9999999999999999.0), "1E+016");
    EXPECT_EQ(Formatted<FormatReal>(0.000099999999999999999), "0.0001");
    // An exact tie at the 17th digit goes to the even neighbour.
    EXPECT_EQ(Formatted<FormatReal>(1000000000000000.5), "1000000000000000");
    EXPECT_EQ(Formatted<FormatReal>(1000000000000001.5), "1000000000000002");
    EXPECT_EQ(Formatted<FormatReal>(100000000000000.25), "100000000000000.2");
}

TEST(RealValue, NonFinite) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Formatted<FormatReal>(inf), "INF");
    EXPECT_EQ(Formatted<FormatReal>(-inf), "-INF");
    EXPECT_EQ(Formatted<FormatReal>(nan), "NAN");
    EXPECT_EQ(Formatted<FormatReal>(-nan), "-NAN");
}

// The real form must equal the C runtime's "%.16G" (exponent widened) for
// every finite value; checked over random bit patterns and the values where
// layout or rounding changes.
TEST(RealValue, MatchesPrintfOverManyValues) {
    std::mt19937_64 random(20240611);
    std::vector<double> values;
    values.reserve(1200000);
    const auto add = [&](double v) {
        values.push_back(v);
        values.push_back(-v);
    };

    // Any finite double.
    while (values.size() < 400000) {
        const double v = FromBits(random());
        if (std::isfinite(v)) values.push_back(v);
    }
    // Integers of every size, up to and past 2^53.
    for (int i = 0; i < 75000; ++i) {
        const int shift = static_cast<int>(random() % 64);
        add(static_cast<double>(random() >> shift));
    }
    // Powers of ten and their neighbours, where plain turns scientific and
    // the digit count changes.
    for (int k = -323; k <= 308; ++k) {
        const double p = std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
        double below = p;
        double above = p;
        add(p);
        for (int step = 0; step < 4; ++step) {
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, std::numeric_limits<double>::infinity());
            add(below);
            add(above);
        }
        // Halfway to the 16-digit neighbours of the power.
        add(std::strtod(("9.9999999999999995e" + std::to_string(k - 1)).c_str(), nullptr));
        add(std::strtod(("1.0000000000000005e" + std::to_string(k)).c_str(), nullptr));
    }
    // Subnormals.
    for (int i = 0; i < 50000; ++i) {
        const int shift = static_cast<int>(random() % 52);
        add(FromBits((random() & 0x000FFFFFFFFFFFFFull) >> shift));
    }
    // Around the no-value real and the largest double.
    for (double v : {1e308, std::numeric_limits<double>::max()}) {
        double below = v;
        double above = v;
        for (int step = 0; step < 50; ++step) {
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, std::numeric_limits<double>::infinity());
            add(below);
            if (std::isfinite(above)) add(above);
        }
    }
    // Exact ties at the 17th significant digit: round half to even.
    for (double v : {0.15, 2.5, 0.125, 9.9999999999999995e15, 1000000000000000.5,
                     1000000000000001.5, 100000000000000.25, 100000000000000.75})
        add(v);
    for (int i = 0; i < 50000; ++i) {
        const uint64_t whole = 1000000000000000ull + random() % 3503599627370496ull; // to 2^52
        add(static_cast<double>(whole) + 0.5);
        const uint64_t smaller = 100000000000000ull + random() % 900000000000000ull;
        add(static_cast<double>(smaller) + 0.25 * static_cast<double>(1 + 2 * (random() % 2)));
    }
    // Decimal texts of 16 to 18 significant digits at every magnitude: the
    // 16th digit is where rounding happens.
    for (int i = 0; i < 60000; ++i) {
        std::string digits = std::to_string(1 + random() % 9) + ".";
        const int count = 15 + static_cast<int>(random() % 3);
        for (int d = 0; d < count; ++d)
            digits += static_cast<char>('0' + random() % 10);
        if (random() % 4 == 0) digits.back() = '5';
        const int exponent = static_cast<int>(random() % 630) - 320;
        add(std::strtod((digits + "e" + std::to_string(exponent)).c_str(), nullptr));
    }
    // Survey-like values: coordinates and heights in metres with a few
    // decimals, angles in radians, small residuals.
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 50000; ++i) {
        const double scale = std::pow(10.0, static_cast<int>(random() % 4));
        add(std::round(unit(random) * 7000000.0 * scale) / scale);
        add(unit(random) * 6.283185307179586);
        add((unit(random) - 0.5) * 1e-3);
    }

    int64_t compared = 0;
    int64_t mismatched = 0;
    std::vector<std::string> mismatches;
    for (double v : values) {
        if (v == 1e308) continue;
        ++compared;
        const std::string ours = Formatted<FormatReal>(v);
        const std::string expected = PrintfReal(v);
        if (ours == expected) continue;
        ++mismatched;
        if (mismatches.size() < 10)
            mismatches.push_back(expected + " (bits " + std::to_string(std::bit_cast<uint64_t>(v)) +
                                 ") gave " + ours);
    }
    EXPECT_GE(compared, 1000000);
    EXPECT_EQ(mismatched, 0) << "for example " << mismatches.front();
    RecordProperty("values_compared", std::to_string(compared));
    std::printf("[ compared  ] %lld reals with %%.16G\n", static_cast<long long>(compared));
}

TEST(IntegerValues, EdgeValues) {
    EXPECT_EQ(Formatted<FormatUnsigned>(0), "0");
    EXPECT_EQ(Formatted<FormatUnsigned>(4294967295u), "4294967295");
    EXPECT_EQ(Formatted<FormatInt>(0), "0");
    EXPECT_EQ(Formatted<FormatInt>(-1), "-1");
    EXPECT_EQ(Formatted<FormatInt>(INT32_MIN), "-2147483648");
    EXPECT_EQ(Formatted<FormatInt>(INT32_MAX), "2147483647");
    EXPECT_EQ(Formatted<FormatUInt64>(0), "0");
    EXPECT_EQ(Formatted<FormatUInt64>(UINT64_MAX), "18446744073709551615");
    EXPECT_EQ(Formatted<FormatHex>(0), "0x00000000");
    EXPECT_EQ(Formatted<FormatHex>(0xABCDEF12u), "0xabcdef12");
    EXPECT_EQ(Formatted<FormatHex>(4294967295u), "0xffffffff");
}

TEST(IntegerValues, Int3MatchesPrintf) {
    EXPECT_EQ(Formatted<FormatInt3>(0), "000");
    EXPECT_EQ(Formatted<FormatInt3>(7), "007");
    EXPECT_EQ(Formatted<FormatInt3>(138), "138");
    EXPECT_EQ(Formatted<FormatInt3>(1234), "1234");
    EXPECT_EQ(Formatted<FormatInt3>(-5), "-05");
    EXPECT_EQ(Formatted<FormatInt3>(-50), "-50");
    EXPECT_EQ(Formatted<FormatInt3>(-500), "-500");
    EXPECT_EQ(Formatted<FormatInt3>(INT32_MIN), "-2147483648");
    for (int32_t v : {-1000, -99, -10, -9, -1, 1, 9, 10, 99, 100, 999, 1000, INT32_MAX}) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%03d", v);
        EXPECT_EQ(Formatted<FormatInt3>(v), expected);
    }
}

} // namespace
} // namespace tqxml

namespace tqxml {
namespace {

std::string Laid(const db_DescriptionsValue& descriptions) {
    Str out;
    StreamSink sink(out, nullptr, 2);
    EmitDescriptions(sink, "Descriptions", descriptions);
    return std::string(out.View());
}

std::string Laid(const FeatureArray& features) {
    Str out;
    StreamSink sink(out, nullptr, 2);
    EmitFeatureArray(sink, "DATABASE_FeaturesRecord", features);
    return std::string(out.View());
}

// The two shared structures as elements of their own: both descriptions
// always present, and the feature data carried by attributes, counts
// included when zero, a menu's index before its text, a separator with
// nothing but its name and kind.
TEST(SharedElements, DescriptionsAndFeatureArrayAsTheWritersBuildThem) {
    db_DescriptionsValue descriptions;
    descriptions.Description2 = " fence & \"gate\" ";
    EXPECT_EQ(Laid(descriptions),
              "        <Descriptions>\r\n"
              "            <Description1/>\r\n"
              "            <Description2>fence &amp; &quot;gate&quot;</Description2>\r\n"
              "        </Descriptions>\r\n");

    EXPECT_EQ(Laid(FeatureArray{}),
              "        <DATABASE_FeaturesRecord rec=\"FeatureArray\" FeatureCount=\"0\"/>\r\n");

    Feature feature;
    feature.Name = "Tree";
    feature.StringCode = "TR";
    FeatureAttribute menu;
    menu.Type = FEATURE_Menu;
    menu.Name = "Species";
    menu.ItemIndex = 3;
    menu.Text = "Oak";
    FeatureAttribute height;
    height.Type = FEATURE_Numerical;
    height.Name = "Height";
    height.Real = 12.5;
    FeatureAttribute rule;
    rule.Type = FEATURE_Separator;
    rule.Name = "--";
    feature.Attributes = {menu, height, rule};
    EXPECT_EQ(
        Laid(FeatureArray{feature, Feature{}}),
        "        <DATABASE_FeaturesRecord rec=\"FeatureArray\" FeatureCount=\"2\">\r\n"
        "            <Feature Name=\"Tree\" StringCode=\"TR\" AttributeCount=\"3\">\r\n"
        "                <Attribute Name=\"Species\" Type=\"Menu\" ItemIndex=\"3\" "
        "Item=\"Oak\"/>\r\n"
        "                <Attribute Name=\"Height\" Type=\"Numerical\" Value=\"12.5\"/>\r\n"
        "                <Attribute Name=\"--\" Type=\"Separator\"/>\r\n"
        "            </Feature>\r\n"
        "            <Feature Name=\"\" StringCode=\"\" AttributeCount=\"0\"/>\r\n"
        "        </DATABASE_FeaturesRecord>\r\n");
}

} // namespace
} // namespace tqxml
