#include "db/crc16.h"

#include <array>
#include <cstring>

namespace tqxml {

namespace {

// Eight tables: kTables[0] is the classic byte table; kTables[k] advances a
// byte through k further zero bytes, so eight bytes are folded per step.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        tables[0][i] = static_cast<uint16_t>(crc);
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (size_t k = 1; k < 8; ++k)
            tables[k][i] = static_cast<uint16_t>((tables[k - 1][i] >> 8) ^
                                                 tables[0][tables[k - 1][i] & 0xFFu]);
    return tables;
}

constexpr Tables kTables = MakeTables();

} // namespace

uint16_t Crc16Arc(const void* bytes, size_t count, uint16_t crc) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (count >= 8) {
        uint8_t b[8];
        std::memcpy(b, p, 8);
        const uint32_t low = crc ^ (b[0] | uint32_t{b[1]} << 8);
        crc = static_cast<uint16_t>(kTables[7][low & 0xFF] ^ kTables[6][low >> 8] ^
                                    kTables[5][b[2]] ^ kTables[4][b[3]] ^ kTables[3][b[4]] ^
                                    kTables[2][b[5]] ^ kTables[1][b[6]] ^ kTables[0][b[7]]);
        p += 8;
        count -= 8;
    }
    for (; count > 0; --count, ++p)
        crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFFu]);
    return crc;
}

} // namespace tqxml
