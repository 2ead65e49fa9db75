// The journal's entry format, in one place. After the job file's 48-byte
// header come length-prefixed, checksummed entries, each an action on one
// record, grouped into transactions by their flags:
//
//   u32 L        bytes that follow (12 to 524288)
//   u8  flags    1 first entry, 2 last entry, 4 discard; 0xBF: removed by hand
//   u16 action   10800 to 10806
//   u32 Target   the record the action refers to (absent for the marker)
//   ...          the record's stored form (absent for the marker)
//   u16 CRC      CRC-16/ARC over the L - 2 bytes after the length
//
// The journal reader, the job writer, the fuzz target and the tests all frame,
// check and sign entries through this header.
#pragma once

#include "db/crc16.h"

#include <cstddef>
#include <cstdint>

namespace tqxml {

enum db_ActionCode : uint16_t {
    ACTION_Add = 10800,
    ACTION_Replace = 10801,
    ACTION_Insert = 10802,
    ACTION_AttachNote = 10803,
    ACTION_Foreign = 10804,
    ACTION_Marker = 10805,
    ACTION_Delete = 10806,
};

enum : uint8_t {
    JOURNAL_FirstEntry = 1,
    JOURNAL_LastEntry = 2,
    JOURNAL_Discard = 4,
    JOURNAL_SingleEntry = JOURNAL_FirstEntry | JOURNAL_LastEntry,
    JOURNAL_ManualRepair = 0xBF, // in place of the flags: an entry removed by hand
};

inline constexpr uint32_t JOURNAL_JournalStart = 48; // the file header's size
inline constexpr uint32_t JOURNAL_LengthFieldSize = 4;
inline constexpr uint32_t JOURNAL_MinEntryLength = 12;
inline constexpr uint32_t JOURNAL_MaxEntryLength = 0x80000;
inline constexpr uint32_t JOURNAL_ChecksumSize = 2;

// Where the parts of an entry lie, counted from the byte after its length
// field (the entry's body, which the length counts).
inline constexpr uint32_t ENTRY_FlagsAt = 0;
inline constexpr uint32_t ENTRY_ActionAt = 1;
inline constexpr uint32_t ENTRY_TargetAt = 3;
inline constexpr uint32_t ENTRY_RecordAt = 7;

inline uint16_t EntryLoad16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t EntryLoad32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline void EntryStore32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr bool IsBelievableEntryLength(uint32_t length) {
    return length >= JOURNAL_MinEntryLength && length <= JOURNAL_MaxEntryLength;
}

constexpr bool IsKnownAction(uint16_t action) {
    return action >= ACTION_Add && action <= ACTION_Delete;
}

// The checksum of a body of `length` bytes: its last two bytes sign the rest.
inline bool EntryChecksumMatches(const uint8_t* body, uint32_t length) {
    return Crc16Arc(body, length - JOURNAL_ChecksumSize) == EntryLoad16(body + length - 2);
}
inline void SignEntry(uint8_t* body, uint32_t length) {
    const uint16_t crc = Crc16Arc(body, length - JOURNAL_ChecksumSize);
    body[length - 2] = static_cast<uint8_t>(crc);
    body[length - 1] = static_cast<uint8_t>(crc >> 8);
}

// Follows the length fields of a job's bytes from the end of the header and
// calls `visit(position, body, length)` for each entry whose length is
// believable and whose body lies within `size` (position: where its length
// field begins). Gives back where the framing ends: `size` when every byte
// belongs to an entry, else the position of the first length that does not
// frame. Checksums are not looked at.
template <class Byte, class Visit> size_t WalkEntries(Byte* job, size_t size, Visit&& visit) {
    size_t at = JOURNAL_JournalStart;
    while (at + JOURNAL_LengthFieldSize <= size) {
        const uint32_t length = EntryLoad32(job + at);
        if (!IsBelievableEntryLength(length) || size - at - JOURNAL_LengthFieldSize < length) break;
        visit(at, job + at + JOURNAL_LengthFieldSize, length);
        at += JOURNAL_LengthFieldSize + length;
    }
    return at;
}

} // namespace tqxml
