// The job-level records with stored fields of their own.
#include "records/job_level.h"

namespace tqxml {

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
