// The job-level records whose stored form is kept by hand: the background
// file slots and foreign data.
#include "records/job_level.h"

namespace tqxml {

// Each entry puts its name into its slot, a later one replacing an earlier.
// An entry for a slot that cannot be held is read past and dropped. The count
// is never trusted beyond the data: reading stops at the end of the buffer.
void db_BackgroundFileList::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    Filenames.clear();
    FilenameCount = buffer.GetInt32(offset);
    for (int32_t i = 0; i < FilenameCount && !buffer.AtEnd(offset); ++i) {
        const int32_t slot = buffer.GetInt32(offset);
        Str name = buffer.GetString(offset);
        TQ_ASSERT_TEXT(slot >= 0 && slot < kSlots, "slot >= 0 && slot < 256");
        if (slot >= 0 && slot < kSlots) Filenames[slot] = std::move(name);
    }
}

// The count as held, then the slots that hold a name in rising order.
void db_BackgroundFileList::WriteOwn(buffer_Writer& writer) const {
    writer.PutInt32(FilenameCount);
    int32_t fileCount = FilenameCount;
    for (const auto& [slot, name] : Filenames) {
        if (slot < 0 || slot >= kSlots) continue;
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
    TQ_ASSERT_TEXT(length <= remaining, "DataLength <= buffer.Remaining (byteOffset)");
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
