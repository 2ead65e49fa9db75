// The job-level records whose stored form is kept by hand: the background
// file slots and foreign data.
#include "records/job_level.h"

namespace tqxml {

// Each entry puts its name into its slot, a later one replacing an earlier.
void ReadFileSlots(const buffer_Class& buffer, int32_t& offset, int64_t count, FileSlots& slots) {
    slots.clear();
    for (int64_t i = 0; i < count && !buffer.AtEnd(offset); ++i) {
        const int32_t slot = buffer.GetInt32(offset);
        Str name = buffer.GetString(offset);
        TQ_STORED_CHECK(buffer, slot >= 0 && slot < kFileSlots, "slot >= 0 && slot < 256");
        if (slot >= 0 && slot < kFileSlots) slots[slot] = std::move(name);
    }
}

void WriteFileSlots(buffer_Writer& writer, uint32_t count, const FileSlots& slots) {
    writer.PutUInt32(count);
    int64_t fileCount = count;
    for (const auto& [slot, name] : slots) {
        if (slot < 0 || slot >= kFileSlots) continue;
        writer.PutInt32(slot);
        writer.PutString(name);
        --fileCount;
    }
    TQ_ASSERT_TEXT(fileCount == 0, "fileCount == 0");
}

// The stored length is never trusted beyond the bytes that remain: a longer
// one is damage, and only what remains is kept.
void db_Foreign::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    Name = buffer.GetString(offset);
    const uint32_t length = buffer.GetUInt32(offset);
    const auto remaining = static_cast<uint32_t>(buffer.Remaining(offset));
    TQ_STORED_CHECK(buffer, length <= remaining, "DataLength <= buffer.Remaining (byteOffset)");
    const uint32_t taken = length <= remaining ? length : remaining;
    Data.assign(taken, 0);
    if (taken > 0) buffer.GetBytes(offset, Data.data(), static_cast<int32_t>(taken));
}

void db_Foreign::WriteOwn(buffer_Writer& writer) const {
    writer.PutString(Name);
    writer.PutUInt32(static_cast<uint32_t>(Data.size()));
    if (!Data.empty()) writer.PutBytes(Data.data(), static_cast<int32_t>(Data.size()));
}

} // namespace tqxml
