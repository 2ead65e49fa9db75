#include "io/buffer.h"

#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <vector>

using namespace tqxml;

namespace {

buffer_Class Bytes(std::vector<uint8_t> bytes, data_Endian endian = ENDIAN_Little) {
    return buffer_Class(static_cast<int32_t>(bytes.size()), endian, bytes.data());
}

} // namespace

// Laid out by hand; the round trip below covers every width both ways.
TEST(BufferRead, NumbersInBothByteOrders) {
    const std::vector<uint8_t> raw = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    const buffer_Class little = Bytes(raw, ENDIAN_Little);
    const buffer_Class big = Bytes(raw, ENDIAN_Big);
    int32_t at = 0;
    EXPECT_EQ(little.GetUInt16(at = 0), 0x0201);
    EXPECT_EQ(big.GetUInt16(at = 0), 0x0102);
    EXPECT_EQ(little.GetInt32(at = 4), 0x08070605);
    EXPECT_EQ(big.GetInt32(at = 4), 0x05060708);
    EXPECT_EQ(little.GetInt64(at = 0), 0x0807060504030201);
    EXPECT_EQ(big.GetInt64(at = 0), 0x0102030405060708);
    EXPECT_EQ(at, 8);

    const buffer_Class b = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x02, 0x80});
    EXPECT_EQ(b.GetInt8(at = 0), -1);
    EXPECT_EQ(at, 1);
    EXPECT_EQ(b.GetInt16(at = 0), -257);
    EXPECT_EQ(b.GetInt32(at = 1), -2);
    EXPECT_FALSE(b.GetBool(at = 5));
    EXPECT_TRUE(b.GetBool(at = 6));
    EXPECT_EQ(at, 7);
    EXPECT_EQ(Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F}).GetDouble(at = 0), 1.5);
    EXPECT_EQ(Bytes({0x3F, 0xF8, 0, 0, 0, 0, 0, 0}, ENDIAN_Big).GetDouble(at = 0), 1.5);
}

TEST(BufferRead, StringsEndAtTheirNul) {
    const buffer_Class b = Bytes({'A', 'B', 0, 'C', 0, 0, 'x'});
    int32_t at = 0;
    EXPECT_EQ(b.GetString(at), "AB");
    EXPECT_EQ(at, 3);
    EXPECT_EQ(b.GetString(at), "C");
    EXPECT_EQ(at, 5);
    EXPECT_EQ(b.GetString(at), "");
    EXPECT_EQ(at, 6);

    RecordingEnvironment env;
    // No NUL before the end: the bytes there are, and the offset at the end.
    EXPECT_EQ(b.GetString(at), "x");
    EXPECT_EQ(at, 7);
    EXPECT_EQ(b.GetString(at), "");
    EXPECT_EQ(at, 7);
    EXPECT_EQ(env.assertions,
              (std::vector<std::string>{"Offset <= _DataLength", "Offset <= _DataLength"}));
}

TEST(BufferRead, FixedStringTakesExactlyItsWidth) {
    std::vector<uint8_t> field(43, 0);
    for (int i = 0; i < 33; ++i)
        field[i] = static_cast<uint8_t>('a' + i % 26);
    field.push_back(7);
    const buffer_Class b = Bytes(field);
    int32_t at = 0;
    const Str text = b.GetFixedString(at, 43);
    EXPECT_EQ(text.Length(), 33);
    EXPECT_EQ(text.View(), std::string_view(reinterpret_cast<const char*>(field.data()), 33));
    EXPECT_EQ(at, 43);

    // Without a NUL the whole width is the text.
    const buffer_Class full = Bytes({'a', 'b', 'c', 'd'});
    EXPECT_EQ(full.GetFixedString(at = 0, 3), "abc");
    EXPECT_EQ(at, 3);
    EXPECT_EQ(full.GetFixedString(at = 0, 0), "");
    EXPECT_EQ(at, 0);
}

TEST(BufferRead, GetBytesCopiesOrSkips) {
    const buffer_Class b = Bytes({1, 2, 3, 4, 5});
    uint8_t out[3] = {};
    int32_t at = 1;
    b.GetBytes(at, out, 3);
    EXPECT_EQ(at, 4);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[2], 4);
    b.GetBytes(at = 0, nullptr, 2);
    EXPECT_EQ(at, 2);
    EXPECT_FALSE(b.AtEnd(at));
    EXPECT_TRUE(b.AtEnd(5));
    EXPECT_TRUE(b.AtEnd(6));
    EXPECT_EQ(b.Remaining(2), 3);
    EXPECT_EQ(b.Remaining(9), 0);
    EXPECT_EQ(b.Remaining(-1), 0);
}

TEST(BufferRead, PastTheEndYieldsNothingAndStaysInBounds) {
    RecordingEnvironment env;
    // Heap-allocated exactly to length, so a sanitizer build sees any overread.
    const buffer_Class b = Bytes({1, 2, 3});
    int32_t at = 2;
    EXPECT_EQ(b.GetUInt16(at), 0);
    EXPECT_EQ(at, 3);
    EXPECT_EQ(b.GetInt8(at), 0);
    EXPECT_EQ(b.GetUInt32(at = 0), 0u);
    EXPECT_EQ(b.GetInt64(at = 0), 0);
    EXPECT_EQ(b.GetDouble(at = 0), 0.0);
    EXPECT_EQ(b.GetFixedString(at = 1, 3), "");
    uint8_t out[4] = {9, 9, 9, 9};
    b.GetBytes(at = 0, out, 4);
    EXPECT_EQ(out[0], 0); // zeroed, not stale
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(at, 3);
    EXPECT_EQ(env.assertions, (std::vector<std::string>{
                                  "(Offset + 2) <= _DataLength",
                                  "(Offset + 1) <= _DataLength",
                                  "(Offset + 4) <= _DataLength",
                                  "(Offset + 8) <= _DataLength",
                                  "(Offset + (int) sizeof (double)) <= _DataLength",
                                  "Offset + n <= _DataLength",
                                  "Offset + n <= _DataLength",
                              }));

    // Offsets and widths that would overflow a naive sum.
    env.assertions.clear();
    EXPECT_EQ(b.GetUInt32(at = INT32_MAX - 1), 0u);
    EXPECT_EQ(at, 3);
    EXPECT_EQ(b.GetUInt32(at = -1), 0u);
    EXPECT_EQ(at, 3);
    EXPECT_EQ(b.GetInt8(at = INT32_MIN), 0);
    EXPECT_EQ(b.GetFixedString(at = 1, INT32_MAX), "");
    EXPECT_EQ(b.GetFixedString(at = 1, -1), "");
    b.GetBytes(at = 2, nullptr, INT32_MAX);
    EXPECT_EQ(b.GetString(at = -5), "");
    EXPECT_EQ(b.GetString(at = INT32_MAX), "");
    EXPECT_EQ(at, 3);
    EXPECT_EQ(env.assertions.size(), 8u);

    // An empty buffer has no bytes to give.
    const buffer_Class empty;
    EXPECT_EQ(empty.GetUInt16(at = 0), 0);
    EXPECT_EQ(at, 0);
    EXPECT_TRUE(empty.AtEnd(0));
}

TEST(BufferRead, UndefinedByteOrderIsReported) {
    RecordingEnvironment env;
    const uint8_t raw[] = {1, 0, 0, 0};
    const buffer_Class b(4, ENDIAN_Undefined, raw);
    int32_t at = 0;
    EXPECT_EQ(b.GetUInt32(at), 1u);
    EXPECT_TRUE(env.HasAssertion("data_Endian != ENDIAN_Undefined"));

    env.assertions.clear();
    buffer_Writer w(ENDIAN_Undefined);
    w.PutUInt16(1);
    EXPECT_TRUE(env.HasAssertion("data_Endian != ENDIAN_Undefined"));
}

TEST(BufferRead, CursorFormAdvancesTheReadPosition) {
    buffer_Class b = Bytes({0x34, 0x12, 'h', 'i', 0, 1});
    EXPECT_EQ(b.GetPosition(), 0);
    EXPECT_EQ(b.GetUInt16(), 0x1234);
    EXPECT_EQ(b.GetString(), "hi");
    EXPECT_EQ(b.GetPosition(), 5);
    EXPECT_FALSE(b.AtEnd());
    EXPECT_TRUE(b.GetBool());
    EXPECT_TRUE(b.AtEnd());
    b.SetPosition(2);
    EXPECT_EQ(b.GetFixedString(2), "hi");
}

TEST(BufferClass, ConstructionCopyAndEquality) {
    RecordingEnvironment env;
    buffer_Class a = Bytes({1, 2, 3});
    buffer_Class copy(a);
    EXPECT_TRUE(copy == a);
    copy.Data()[0] = 9;
    EXPECT_EQ(a.Data()[0], 1);
    EXPECT_FALSE(copy == a);

    // Equality looks at the first buffer's length only.
    const buffer_Class longer = Bytes({1, 2, 3, 4});
    EXPECT_TRUE(a == longer);
    EXPECT_FALSE(longer == a);

    copy = longer;
    EXPECT_EQ(copy.Length(), 4);
    EXPECT_TRUE(copy == longer);
    copy = buffer_Class(ENDIAN_Big);
    EXPECT_EQ(copy.Length(), 0);
    EXPECT_EQ(copy.Endian(), ENDIAN_Big);

    a.GetUInt16();
    a.Allocate(5);
    EXPECT_EQ(a.Length(), 5);
    EXPECT_EQ(a.GetPosition(), 0);
    EXPECT_EQ(a.Data()[4], 0);
    // A resize keeps the block while it is large enough; a new buffer has none.
    const uint8_t* block = a.Data();
    a.Resize(3);
    EXPECT_EQ(a.Data(), block);
    EXPECT_EQ(a.Length(), 3);
    buffer_Class fresh;
    fresh.Resize(1);
    ASSERT_NE(fresh.Data(), nullptr);
    EXPECT_EQ(fresh.Length(), 1);
    EXPECT_TRUE(env.assertions.empty());
    a.Allocate(0);
    EXPECT_EQ(a.Length(), 0);
    EXPECT_TRUE(env.HasAssertion("n > 0"));
}

TEST(BufferWriter, GrowingKeepsEveryByteWritten) {
    buffer_Writer d;
    for (int i = 0; i < 3000; ++i)
        d.PutInt8(static_cast<int8_t>(i));
    EXPECT_EQ(d.Length(), 3000);
    bool intact = true;
    for (int i = 0; i < 3000; ++i)
        intact &= d.Data()[i] == static_cast<uint8_t>(i);
    EXPECT_TRUE(intact);

    RecordingEnvironment env;
    d.Reserve(1);
    EXPECT_TRUE(env.HasAssertion("newLength >= _AllocatedLength"));
    d.Reserve(0);
    EXPECT_TRUE(env.HasAssertion("n > 0"));
}

TEST(BufferWriter, StringsAndBytes) {
    buffer_Writer w;
    w.PutString(Str("ab"));
    w.PutString("c");
    w.PutString(Str());
    w.PutFixedString("xy", 4, '_');
    w.PutFixedString("toolong", 3, 0);
    w.PutFixedString(nullptr, 2, ' ');
    w.PutBytes("\x01\x02", 2);
    const std::string expected("ab\0c\0\0xy__too  \x01\x02", 17);
    ASSERT_EQ(w.Length(), 17);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(w.Data()), 17), expected);

    w.Append(w);
    ASSERT_EQ(w.Length(), 34);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(w.Data()), 34), expected + expected);
}

TEST(BufferWriter, PatchesOverwriteInPlace) {
    buffer_Writer w(ENDIAN_Big);
    w.PutUInt32(0);
    w.PutInt8(5);
    w.PatchUInt32(0, 0x01020304);
    EXPECT_EQ(std::vector<uint8_t>(w.Data(), w.Data() + 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));

    RecordingEnvironment env;
    w.PatchUInt32(2, 1);
    w.PatchUInt32(-4, 1);
    EXPECT_EQ(w.Length(), 5);
    EXPECT_EQ(std::vector<uint8_t>(w.Data(), w.Data() + 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(env.assertions,
              (std::vector<std::string>{"place + 4 <= _DataLength", "place + 4 <= _DataLength"}));
}

TEST(BufferWriter, EveryWidthRoundTripsThroughABuffer) {
    for (data_Endian order : {ENDIAN_Little, ENDIAN_Big}) {
        buffer_Writer w(order);
        w.PutInt8(-128);
        w.PutUInt16(0xBEEF);
        w.PutInt16(-2);
        w.PutUInt32(0xDEADBEEF);
        w.PutInt32(INT32_MIN);
        w.PutInt64(INT64_MIN + 5);
        w.PutDouble(-1e308);
        w.PutDouble(std::numeric_limits<double>::denorm_min());
        w.PutString("text");
        w.PutFixedString("fixed", 8, 0);
        w.PutBytes("\x00\x01", 2);

        const buffer_Class b(w.Length(), order, w.Data());
        int32_t at = 0;
        EXPECT_EQ(b.GetInt8(at), -128);
        EXPECT_EQ(b.GetUInt16(at), 0xBEEF);
        EXPECT_EQ(b.GetInt16(at), -2);
        EXPECT_EQ(b.GetUInt32(at), 0xDEADBEEFu);
        EXPECT_EQ(b.GetInt32(at), INT32_MIN);
        EXPECT_EQ(b.GetInt64(at), INT64_MIN + 5);
        EXPECT_EQ(b.GetDouble(at), -1e308);
        EXPECT_EQ(b.GetDouble(at), std::numeric_limits<double>::denorm_min());
        EXPECT_EQ(b.GetString(at), "text");
        EXPECT_EQ(b.GetFixedString(at, 8), "fixed");
        uint8_t tail[2] = {9, 9};
        b.GetBytes(at, tail, 2);
        EXPECT_EQ(tail[1], 1);
        EXPECT_TRUE(b.AtEnd(at));
        EXPECT_EQ(at, w.Length());
    }
}
