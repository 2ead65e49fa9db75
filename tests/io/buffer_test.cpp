#include "io/buffer.h"

#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace tqxml;

namespace {

buffer_Class Bytes(std::vector<uint8_t> bytes, data_Endian endian = ENDIAN_Little) {
    return buffer_Class(static_cast<int32_t>(bytes.size()), endian, bytes.data());
}

} // namespace

// Every width both ways; the first value's bytes pin each byte order.
TEST(Buffer, EveryWidthRoundTripsInBothByteOrders) {
    for (data_Endian order : {ENDIAN_Little, ENDIAN_Big}) {
        SCOPED_TRACE(order);
        buffer_Writer w(order);
        w.PutUInt32(0x01020304);
        w.PutInt8(-128);
        w.PutInt8(0);
        w.PutInt8(2);
        w.PutUInt16(0xBEEF);
        w.PutInt16(-257);
        w.PutInt32(INT32_MIN);
        w.PutInt64(INT64_MIN + 5);
        w.PutDouble(-1e308);
        w.PutString(Str("text"));
        w.PutString(""); // the text's own NUL only
        w.PutFixedString("fixed", 8, 0);
        w.PutFixedString("toolong", 3, 0);
        w.PutFixedString(nullptr, 2, ' ');
        w.PutBytes("\x00\x01", 2);
        EXPECT_EQ(w.Data()[0], order == ENDIAN_Big ? 1 : 4);

        const buffer_Class b(w.Length(), order, w.Data());
        int32_t at = 0;
        EXPECT_EQ(b.GetUInt32(at), 0x01020304u);
        EXPECT_EQ(b.GetInt8(at), -128);
        EXPECT_FALSE(b.GetBool(at));
        EXPECT_TRUE(b.GetBool(at));
        EXPECT_EQ(b.GetUInt16(at), 0xBEEF);
        EXPECT_EQ(b.GetInt16(at), -257);
        EXPECT_EQ(b.GetInt32(at), INT32_MIN);
        EXPECT_EQ(b.GetInt64(at), INT64_MIN + 5);
        EXPECT_EQ(b.GetDouble(at), -1e308);
        EXPECT_EQ(b.GetString(at), "text");
        EXPECT_EQ(b.GetString(at), "");
        // A fixed text ends at its NUL or, without one, fills its width.
        EXPECT_EQ(b.GetFixedString(at, 8), "fixed");
        EXPECT_EQ(b.GetFixedString(at, 3), "too");
        EXPECT_EQ(b.GetFixedString(at, 2), "  ");
        uint8_t tail[2] = {9, 9};
        b.GetBytes(at, tail, 2);
        EXPECT_EQ(tail[1], 1);
        EXPECT_EQ(at, w.Length());
    }
}

// Each read from `at` in a 3-byte buffer must yield nothing, report once and
// leave the offset at the end: past the end, and offsets and widths that
// would overflow a naive sum.
TEST(BufferRead, OutOfBoundsYieldsNothingAndStaysInBounds) {
    using In = const buffer_Class&;
    using Read = bool (*)(In, int32_t&);
    const std::pair<int32_t, Read> cases[] = {
        {2, [](In b, int32_t& at) { return b.GetUInt16(at) == 0; }},
        {3, [](In b, int32_t& at) { return b.GetInt8(at) == 0; }},
        {0, [](In b, int32_t& at) { return b.GetInt64(at) == 0; }},
        {1, [](In b, int32_t& at) { return b.GetFixedString(at, 3) == ""; }},
        {INT32_MAX - 1, [](In b, int32_t& at) { return b.GetUInt32(at) == 0; }},
        {-1, [](In b, int32_t& at) { return b.GetUInt32(at) == 0; }},
        {1, [](In b, int32_t& at) { return b.GetFixedString(at, INT32_MAX) == ""; }},
        {1, [](In b, int32_t& at) { return b.GetFixedString(at, -1) == ""; }},
        {-1, [](In b, int32_t& at) { return b.GetString(at) == ""; }},
        {INT32_MAX, [](In b, int32_t& at) { return b.GetString(at) == ""; }},
        {2, [](In b, int32_t& at) { return b.GetBytes(at, nullptr, INT32_MAX), true; }},
        // The destination is zeroed, never left stale.
        {0,
         [](In b, int32_t& at) {
             uint8_t out[4] = {9, 9, 9, 9};
             b.GetBytes(at, out, 4);
             return out[0] == 0 && out[3] == 0;
         }},
    };
    // Heap-allocated exactly to length, so a sanitizer build sees any overread.
    const buffer_Class b = Bytes({1, 2, 3});
    for (const auto& [start, read] : cases) {
        SCOPED_TRACE(start);
        RecordingEnvironment env;
        int32_t at = start;
        EXPECT_TRUE(read(b, at));
        EXPECT_EQ(at, 3);
        EXPECT_EQ(env.assertions.size(), 1u);
    }

    // A text without its NUL gives the bytes up to the end, and reports.
    RecordingEnvironment env;
    int32_t at = 1;
    EXPECT_EQ(b.GetString(at), "\x02\x03");
    EXPECT_EQ(at, 3);
    // An empty buffer has no bytes to give.
    EXPECT_EQ(buffer_Class().GetUInt16(at = 0), 0);
    EXPECT_EQ(at, 0);
    EXPECT_EQ(env.assertions.size(), 2u);
}

TEST(BufferRead, UndefinedByteOrderIsReported) {
    RecordingEnvironment env;
    const uint8_t raw[] = {1, 0, 0, 0};
    int32_t at = 0;
    EXPECT_EQ(buffer_Class(4, ENDIAN_Undefined, raw).GetUInt32(at), 1u);
    EXPECT_EQ(env.assertions, std::vector<std::string>{"data_Endian != ENDIAN_Undefined"});
    buffer_Writer(ENDIAN_Undefined).PutUInt16(1);
    EXPECT_EQ(env.assertions.size(), 2u);
}

TEST(BufferRead, WhatRemainsAndTextsAsViews) {
    RecordingEnvironment env;
    const buffer_Class b = Bytes({'h', 'i', 0, 1, 2, 'x', 'y'});
    int32_t offset = 0;
    const std::string_view text = b.GetStringView(offset);
    EXPECT_EQ(text, "hi");
    EXPECT_EQ(text.data(), reinterpret_cast<const char*>(b.Data())); // in place
    EXPECT_EQ(b.Remaining(offset), 4);
    EXPECT_EQ(b.Remaining(7), 0);
    EXPECT_EQ(b.Remaining(-1), 0);
    offset = 5;
    EXPECT_EQ(b.GetFixedStringView(offset, 2), "xy");
    EXPECT_EQ(b.GetFixedStringView(offset, 0), ""); // nothing to take at the end is no fault
    EXPECT_TRUE(env.assertions.empty());
    offset = 5;
    EXPECT_EQ(b.GetStringView(offset), "xy"); // no NUL before the end: damage
    EXPECT_EQ(offset, 7);
    EXPECT_EQ(env.assertions, std::vector<std::string>{"Offset <= _DataLength"});
}

// A view reads bytes held elsewhere, and reports a read past them (a view
// of bytes checked before reports nothing: the record round trip reads
// every type's damaged bytes so). Copies of a view are views.
TEST(BufferClass, ViewsCopiesAndBlocks) {
    RecordingEnvironment env;
    const uint8_t bytes[] = {1, 2, 3};
    const buffer_Class view = buffer_Class::View(bytes, 3, true);
    int32_t offset = 2;
    view.GetUInt32(offset);
    EXPECT_EQ(env.assertions.size(), 1u);
    const buffer_Class copiedView(view);
    EXPECT_EQ(copiedView.Data(), bytes);

    buffer_Class a = Bytes({1, 2, 3});
    buffer_Class copy(a);
    copy.Data()[0] = 9; // a copy of its own
    EXPECT_EQ(a.Data()[0], 1);
}

TEST(BufferWriter, GrowingKeepsEveryByteWritten) {
    buffer_Writer d;
    std::vector<uint8_t> expected;
    for (int i = 0; i < 3000; ++i) {
        d.PutInt8(static_cast<int8_t>(i));
        expected.push_back(static_cast<uint8_t>(i));
    }
    EXPECT_EQ(std::vector<uint8_t>(d.Data(), d.Data() + d.Length()), expected);

    // Appended to itself, a writer's block moves under the bytes it copies.
    buffer_Writer self;
    self.PutFixedString("ab", 200, '.');
    self.Append(self);
    const std::string half = "ab" + std::string(198, '.');
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(self.Data()), self.Length()),
              half + half);

    RecordingEnvironment env;
    d.Reserve(1); // less than it holds
    d.Reserve(0);
    EXPECT_EQ(env.assertions.size(), 2u);
}

TEST(BufferWriter, PatchesOverwriteInPlaceAndOnlyThere) {
    buffer_Writer w(ENDIAN_Big);
    w.PutInt8(0);
    w.PutUInt32(0);
    w.PatchUInt32(0, 0x05000000);
    w.PatchUInt32(1, 0x01020304); // the last place that holds four bytes
    RecordingEnvironment env;
    w.PatchUInt32(2, 1);
    w.PatchUInt32(-4, 1);
    EXPECT_EQ(std::vector<uint8_t>(w.Data(), w.Data() + w.Length()),
              (std::vector<uint8_t>{5, 1, 2, 3, 4}));
    EXPECT_EQ(env.assertions.size(), 2u);
}
