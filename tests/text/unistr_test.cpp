#include "text/unistr.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using tqxml::HostToUtf8;
using tqxml::Str;
using tqxml::UniStr;

TEST(UniStr, HostTextBecomesItsSixteenBitForm) {
    EXPECT_TRUE(UniStr::FromHost(nullptr).IsEmpty());
    EXPECT_TRUE(UniStr::FromHost("").IsEmpty());
    EXPECT_TRUE(UniStr().ToUtf8().IsEmpty());

    EXPECT_EQ(UniStr::FromHost("C:\\jobs\\a.job").View(), u"C:\\jobs\\a.job");
    // U+00E9 (two bytes), U+20AC (three bytes), U+00FC.
    EXPECT_EQ(UniStr::FromHost("caf\xc3\xa9 \xe2\x82\xac/\xc3\xbc").View(),
              u"caf\u00e9 \u20ac/\u00fc");
}

TEST(UniStr, EachUnitIsEncodedOnItsOwn) {
    EXPECT_EQ(UniStr(u"A\u007f").ToUtf8(), "A\x7f");
    EXPECT_EQ(UniStr(u"\u0080\u07ff").ToUtf8(), "\xc2\x80\xdf\xbf");
    EXPECT_EQ(UniStr(u"\u0800\uffff\u20ac").ToUtf8(), "\xe0\xa0\x80\xef\xbf\xbf\xe2\x82\xac");
    // A surrogate pair is not combined: each half gives three bytes.
    const char16_t pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(UniStr(pair).ToUtf8(), "\xed\xa0\xbd\xed\xb8\x80");
}

TEST(UniStr, Utf8DecodingInvertsTheEncoding) {
    const char16_t units[] = {u'a', 0x00E9, 0x0800, 0xFFFD, 0xD800, 0xDFFF, 0xDC7F, 0xDD00, 0};
    const UniStr original(units);
    EXPECT_EQ(UniStr::FromUtf8(original.ToUtf8()), original);
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
        EXPECT_EQ(HostToUtf8(sample), sample) << sample;
        EXPECT_EQ(UniStr::FromUtf8(Str(sample)).ToUtf8(), sample) << sample;
    }
    // Stray bytes are held as U+DC00 + byte.
    EXPECT_EQ(UniStr::FromHost("a\xe9").View(), u"a\xdce9");
}

TEST(UniStr, AnyByteStringRoundTrips) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(1, 24);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            // Favour bytes that form or nearly form sequences.
            const int b = byte(random);
            text.push_back(static_cast<char>(b < 64 ? 0x80 | b : b));
        }
        ASSERT_EQ(HostToUtf8(text.c_str()).View(), text);
    }
}
