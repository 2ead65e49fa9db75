// The journal checksum: CRC-16/ARC (reflected polynomial 0xA001, initial
// value 0, no final XOR), computed from a 256-entry table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tqxml {

// Continues `crc` over `count` bytes; start with 0 for a fresh checksum.
uint16_t Crc16Arc(const void* bytes, size_t count, uint16_t crc = 0);

} // namespace tqxml
