#include "job_mutator.h"

#include "db/crc16.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace tqxml::fuzz {
namespace {

constexpr size_t kHeaderSize = 48;
constexpr uint32_t kMinEntry = 12;
constexpr uint32_t kMaxEntry = 0x80000;
// Within an entry: flags (1), action (2), target (4), then the record.
constexpr size_t kActionAt = 1;
constexpr size_t kTargetAt = 3;
constexpr size_t kRecordAt = 7;

uint32_t Load32(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void Store32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// An entry's bytes after its length field, checksum included.
using Entry = std::vector<uint8_t>;

// The entries that frame correctly, in order; `tail` keeps whatever follows.
std::vector<Entry> Split(const uint8_t* data, size_t size, std::vector<uint8_t>& tail) {
    std::vector<Entry> entries;
    size_t at = kHeaderSize;
    while (at + 4 <= size) {
        const uint32_t length = Load32(data + at);
        if (length < kMinEntry || length > kMaxEntry || at + 4 + length > size) break;
        entries.emplace_back(data + at + 4, data + at + 4 + length);
        at += 4 + length;
    }
    if (at < size) tail.assign(data + std::min(at, size), data + size);
    return entries;
}

// Header, entries (length, bytes with a fresh checksum), tail; 0 when it
// does not fit.
size_t Join(uint8_t* data, size_t maxSize, const std::vector<uint8_t>& header,
            const std::vector<Entry>& entries, const std::vector<uint8_t>& tail) {
    size_t total = header.size() + tail.size();
    for (const Entry& e : entries)
        total += 4 + e.size();
    if (total > maxSize) return 0;
    std::memcpy(data, header.data(), header.size());
    size_t at = header.size();
    for (const Entry& e : entries) {
        Store32(data + at, static_cast<uint32_t>(e.size()));
        std::memcpy(data + at + 4, e.data(), e.size());
        const uint16_t crc = Crc16Arc(data + at + 4, e.size() - 2);
        data[at + 4 + e.size() - 2] = static_cast<uint8_t>(crc);
        data[at + 4 + e.size() - 1] = static_cast<uint8_t>(crc >> 8);
        at += 4 + e.size();
    }
    if (!tail.empty()) std::memcpy(data + at, tail.data(), tail.size());
    return total;
}

// Mutates the record of `entry` with libFuzzer's own byte mutations,
// keeping the entry's frame and room for the checksum.
void MutateRecord(Entry& entry, std::mt19937& random) {
    if (entry.size() < kRecordAt + 2) return;
    std::vector<uint8_t> record(entry.begin() + kRecordAt, entry.end() - 2);
    const size_t room = std::min<size_t>(record.size() * 2 + 64, kMaxEntry - kRecordAt - 2);
    record.resize(room);
    const size_t used = LLVMFuzzerMutate(record.data(), entry.size() - kRecordAt - 2, room);
    record.resize(std::max<size_t>(used, 1));
    if (random() % 4 == 0 && record.size() >= 2) { // keep a valid record type now and then
        const uint16_t type = static_cast<uint16_t>(random() % 144);
        record[0] = static_cast<uint8_t>(type), record[1] = static_cast<uint8_t>(type >> 8);
    }
    Entry mutated(entry.begin(), entry.begin() + kRecordAt);
    mutated.insert(mutated.end(), record.begin(), record.end());
    mutated.resize(mutated.size() + 2);
    entry = std::move(mutated);
}

} // namespace

void SignEntries(uint8_t* job, size_t size) {
    size_t at = kHeaderSize;
    while (at + 4 <= size) {
        const uint32_t length = Load32(job + at);
        if (length < kMinEntry || length > kMaxEntry || at + 4 + length > size) return;
        const uint16_t crc = Crc16Arc(job + at + 4, length - 2);
        job[at + 4 + length - 2] = static_cast<uint8_t>(crc);
        job[at + 4 + length - 1] = static_cast<uint8_t>(crc >> 8);
        at += 4 + length;
    }
}

size_t MutateJob(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    std::mt19937 random(seed);
    if (size < kHeaderSize || random() % 8 == 0) // now and then, plain bytes and framing
        return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<uint8_t> header(data, data + kHeaderSize), tail;
    std::vector<Entry> entries = Split(data, size, tail);
    if (entries.empty()) return LLVMFuzzerMutate(data, size, maxSize);

    Entry& entry = entries[random() % entries.size()];
    switch (random() % 6) {
    case 0:
    case 1:
        MutateRecord(entry, random);
        break;
    case 2: // another action, mostly a known one
        entry[kActionAt] = static_cast<uint8_t>(0x30 + random() % 8);
        entry[kActionAt + 1] = 0x2A;
        break;
    case 3: // another target: near the entries' own identifiers, or anything
        Store32(entry.data() + kTargetAt, random() % 4 == 0 ? static_cast<uint32_t>(random())
                                                           : random() % (entries.size() + 3));
        break;
    case 4: // the first, last and discard flags
        entry[0] = static_cast<uint8_t>(random() % 8);
        break;
    default: { // a copy of an entry elsewhere, or an entry less
        const size_t from = random() % entries.size();
        if (random() % 2 && entries.size() > 1)
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(from));
        else
            entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(random() % entries.size()),
                           Entry(entries[from]));
        break;
    }
    }
    const size_t joined = Join(data, maxSize, header, entries, tail);
    return joined ? joined : LLVMFuzzerMutate(data, size, maxSize);
}

} // namespace tqxml::fuzz
