#include "text/unistr.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

using tqxml::HostToUtf8;
using tqxml::Str;
using tqxml::UniStr;

TEST(UniStr, HostTextBecomesItsSixteenBitForm) {
    EXPECT_TRUE(UniStr::FromHost(nullptr).IsEmpty());
    EXPECT_TRUE(UniStr::FromHost("").IsEmpty());
    // U+00E9 (two bytes), U+20AC (three bytes); a stray byte is held as U+DC00 + byte.
    EXPECT_EQ(UniStr::FromHost("C:\\caf\xc3\xa9 \xe2\x82\xac\xe9").View(),
              u"C:\\caf\u00e9 \u20ac\xdce9");
}

// Each unit is encoded on its own, and decoding gives it back.
TEST(UniStr, EachUnitIsEncodedOnItsOwnAndDecodedBack) {
    const std::pair<std::u16string, const char*> cases[] = {
        // The first and last unit of each length.
        {u"A\u007f\u0080\u07ff\u0800\uffff", "A\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf"},
        // A surrogate pair is not combined: each half gives three bytes.
        {{0xD83D, 0xDE00}, "\xed\xa0\xbd\xed\xb8\x80"},
        // Units beside those that hold stray bytes are written in full.
        {{0xDC7F, 0xDD00}, "\xed\xb1\xbf\xed\xb4\x80"},
    };
    for (const auto& [units, utf8] : cases) {
        EXPECT_EQ(UniStr(units).ToUtf8(), utf8) << utf8;
        EXPECT_EQ(UniStr::FromUtf8(Str(utf8)), UniStr(units)) << utf8;
    }
}

TEST(UniStr, InvalidUtf8SurvivesTheRoundTripByteForByte) {
    const char* samples[] = {
        "\xff\xfe name",          // bytes that never start a sequence
        "end \xc3",               // a sequence cut short at the end
        "\xc3(",                  // a lead byte without its continuation
        "\xc0\xaf",               // an overlong "/"
        "\xe0\x80\xaf",           // an overlong three-byte form
        "\xed\xb2\x80",           // the three-byte form of a lossless unit
        "\xf0\x9f\x98\x80 emoji", // four-byte sequences stay bytes
        "Latin-1 caf\xe9",
    };
    for (const char* sample : samples) {
        EXPECT_EQ(UniStr::FromUtf8(Str(sample)).ToUtf8(), sample) << sample;
    }
}

TEST(UniStr, AnyByteStringRoundTrips) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(1, 24);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = length(random); i > 0; --i) {
            // Favour bytes that form or nearly form sequences.
            const int b = byte(random);
            text.push_back(static_cast<char>(b < 64 ? 0x80 | b : b));
        }
        ASSERT_EQ(HostToUtf8(text.c_str()).View(), text);
    }
}
