#include "support/journal_damage.h"

#include "db/crc16.h"
#include "io/buffer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tqxml {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tqxml-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void FlipByte(const std::string& path, uint32_t offset, uint8_t mask) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    bytes.at(offset) ^= mask;
    WriteFileBytes(path, bytes);
}

void CutAt(const std::string& path, uint32_t size) {
    std::filesystem::resize_file(path, size);
}

void PatchBytes(const std::string& path, uint32_t offset, const std::vector<uint8_t>& patch) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (offset + patch.size() > bytes.size()) bytes.resize(offset + patch.size());
    std::copy(patch.begin(), patch.end(), bytes.begin() + offset);
    WriteFileBytes(path, bytes);
}

void PatchUInt32(const std::string& path, uint32_t offset, uint32_t value) {
    PatchBytes(path, offset,
               {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

namespace {
uint32_t LengthAt(const std::vector<uint8_t>& bytes, size_t position) {
    return uint32_t{bytes[position]} | uint32_t{bytes[position + 1]} << 8 |
           uint32_t{bytes[position + 2]} << 16 | uint32_t{bytes[position + 3]} << 24;
}
} // namespace

std::vector<uint32_t> EntryPositions(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::vector<uint32_t> positions;
    size_t position = 48;
    while (position + 4 <= bytes.size()) {
        const uint32_t length = LengthAt(bytes, position);
        if (length < 2 || position + 4 + length > bytes.size()) break;
        positions.push_back(static_cast<uint32_t>(position));
        position += 4 + length;
    }
    return positions;
}

void ResignEntry(const std::string& path, uint32_t position) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    const uint32_t length = LengthAt(bytes, position);
    const uint16_t crc = Crc16Arc(bytes.data() + position + 4, length - 2);
    bytes.at(position + 4 + length - 2) = static_cast<uint8_t>(crc);
    bytes.at(position + 4 + length - 1) = static_cast<uint8_t>(crc >> 8);
    WriteFileBytes(path, bytes);
}

std::vector<uint8_t> EntryBody(uint8_t flags, uint16_t action, uint32_t target,
                               const dbRecord_Class* record) {
    buffer_Writer writer(ENDIAN_Little);
    writer.PutInt8(static_cast<int8_t>(flags));
    writer.PutUInt16(action);
    writer.PutUInt32(target);
    if (record) record->Write(writer);
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Length());
}

std::vector<uint8_t> SignedEntry(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> entry;
    const uint32_t length = static_cast<uint32_t>(body.size() + 2);
    for (int shift = 0; shift < 32; shift += 8)
        entry.push_back(static_cast<uint8_t>(length >> shift));
    entry.insert(entry.end(), body.begin(), body.end());
    const uint16_t crc = Crc16Arc(body.data(), body.size());
    entry.push_back(static_cast<uint8_t>(crc));
    entry.push_back(static_cast<uint8_t>(crc >> 8));
    return entry;
}

} // namespace tqxml
