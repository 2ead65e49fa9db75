// The design records whose stored form is kept by hand: the extra design
// elevations and the stake-out list.
#include "records/design.h"

namespace tqxml {
namespace {

// The least an extra design elevation takes: its index, three reals and an
// empty description.
constexpr int32_t kLeastElevationBytes = 2 + 3 * 8 + 1;

} // namespace

void db_ExtraPointDesignElevations::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    const int16_t count = buffer.GetInt16(offset);
    Elevations.assign(EntriesThatFit(buffer, offset, count, kLeastElevationBytes,
                                     "count <= buffer.Remaining (byteOffset) / 27"),
                      ExtraPointDesignElevation{});
    FieldReader reader(buffer, offset);
    for (ExtraPointDesignElevation& elevation : Elevations)
        elevation.Fields(reader);
}

void db_ExtraPointDesignElevations::WriteOwn(buffer_Writer& writer) const {
    writer.PutInt16(static_cast<int16_t>(Elevations.size()));
    FieldWriter fields(writer);
    for (const ExtraPointDesignElevation& elevation : Elevations)
        const_cast<ExtraPointDesignElevation&>(elevation).Fields(fields);
}

void db_StakeoutList::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    FilenameCount = buffer.GetUInt32(offset);
    ReadFileSlots(buffer, offset, FilenameCount, Filenames);
    ItemCount = buffer.GetUInt32(offset);
    Uniques.assign(EntriesThatFit(buffer, offset, ItemCount, 4,
                                  "ItemCount <= buffer.Remaining (byteOffset) / 4"),
                   0);
    for (uint32_t& item : Uniques)
        item = buffer.GetUInt32(offset);
}

void db_StakeoutList::WriteOwn(buffer_Writer& writer) const {
    WriteFileSlots(writer, FilenameCount, Filenames);
    TQ_ASSERT_TEXT(ItemCount == 0 || !Uniques.empty(), "Uniques != NULL");
    writer.PutUInt32(ItemCount);
    for (uint32_t item : Uniques)
        writer.PutUInt32(item);
}

} // namespace tqxml
