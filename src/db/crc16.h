// The journal checksum: CRC-16/ARC (reflected polynomial 0xA001, initial
// value 0, no final XOR).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tqxml {

// Continues `crc` over `count` bytes; start with 0 for a fresh checksum.
// On x86 processors with carry-less multiplication it folds 64 bytes a step;
// elsewhere, and for fewer than 16 bytes, it runs Crc16ArcTable.
uint16_t Crc16Arc(const void* bytes, size_t count, uint16_t crc = 0);

// The same checksum from byte tables, eight bytes a step: what every
// processor can run (the tests check it on machines that take the fast way).
uint16_t Crc16ArcTable(const void* bytes, size_t count, uint16_t crc = 0);

} // namespace tqxml
