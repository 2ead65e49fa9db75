// The journal checksum and the file header.
#include "db/crc16.h"
#include "db/filehdr.h"

#include <gtest/gtest.h>

#include <vector>

namespace tqxml {
namespace {

// Both routines, the folding one (where the processor has it) and the table
// one, agree with the bit-by-bit definition at every length over a few
// 64-byte steps and at a few large ones, from unaligned starts, from any
// starting value, and with the bytes split in two anywhere; the definition
// gives the check value of CRC-16/ARC.
TEST(Crc16Arc, AgreesWithTheBitwiseDefinition) {
    auto bitwise = [](const uint8_t* p, size_t n, uint16_t crc) {
        for (size_t i = 0; i < n; ++i) {
            crc ^= p[i];
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
        }
        return crc;
    };
    EXPECT_EQ(bitwise(reinterpret_cast<const uint8_t*>("123456789"), 9, 0), 0xBB3D);
    std::vector<uint8_t> bytes(100016);
    uint32_t state = 12345;
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 16);
    std::vector<size_t> lengths;
    for (size_t length = 0; length <= 400; ++length)
        lengths.push_back(length);
    lengths.insert(lengths.end(), {4096, 4096 + 63, 65536 + 17, 100000});
    for (auto* crc16 : {&Crc16Arc, &Crc16ArcTable})
        for (size_t offset : {0, 1, 7, 13})
            for (size_t length : lengths) {
                const uint8_t* p = bytes.data() + offset;
                const auto start = static_cast<uint16_t>(length * 0x9E37u + offset);
                const uint16_t expected = bitwise(p, length, start);
                const size_t split = length * 7 % (length + 1);
                ASSERT_EQ(crc16(p, length, start), expected) << "length " << length;
                ASSERT_EQ(crc16(p + split, length - split, crc16(p, split, start)), expected)
                    << "length " << length << " split at " << split;
            }
}

buffer_Class HeaderBuffer(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> padded = bytes;
    padded.resize(48, 0);
    return buffer_Class(48, ENDIAN_Little, padded.data());
}

// The written form is pinned by the sample job; both forms decode.
TEST(FileHeader, DecodesBothForms) {
    buffer_Writer writer;
    filehdr_Header style = filehdr_Header::JobJournal();
    style.Identification = "Halvorn Tessary Style";
    style.Type = FILEHDR_Style;
    style.Reserved = 9;
    style.Encode(writer);
    filehdr_Header decoded;
    decoded.Decode(buffer_Class(writer.Length(), ENDIAN_Little, writer.Data()));
    EXPECT_EQ(decoded.Identification, "Halvorn Tessary Style");
    EXPECT_EQ(decoded.Type, 3);
    EXPECT_EQ(decoded.Reserved, 9);
    EXPECT_TRUE(decoded.SameVersion(filehdr_Header::JobJournal()));

    // The old form: no text, the five bytes from offset 0.
    filehdr_Header old;
    old.Decode(HeaderBuffer({0x01, 0x00, 0x0C, 0x14, 0x24}));
    EXPECT_TRUE(old.Identification.IsEmpty());
    EXPECT_EQ(old.Type, 1);
    EXPECT_TRUE(old.SameVersion(filehdr_Header::JobJournal()));

    // The mark is case-sensitive: a lower-case text is read as the old form.
    filehdr_Header lower;
    lower.Decode(HeaderBuffer({'h', 'a', 'l', 'v', 'o', 'r', 'n'}));
    EXPECT_TRUE(lower.Identification.IsEmpty());
    EXPECT_EQ(lower.Type, 'h');
}

} // namespace
} // namespace tqxml
