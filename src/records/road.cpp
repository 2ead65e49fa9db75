// The road records kept by hand: the cross-section report with its nested
// records.
#include "records/road.h"

namespace tqxml {
namespace {

// The least a stored node takes: its common header with an empty note, an
// empty code and two reals.
constexpr int32_t kLeastNodeBytes = 2 + 4 + 8 + 1 + 1 + 2 * 8;

} // namespace

void db_CrossSectionSide::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    const bool hasBatter = buffer.GetBool(offset);
    NumberOfNodes = buffer.GetInt32(offset);
    Batter.reset();
    if (hasBatter) Batter.emplace().Read(buffer, offset);
    Nodes.assign(EntriesThatFit(buffer, offset, NumberOfNodes, kLeastNodeBytes,
                                "NumberOfNodes <= buffer.Remaining (byteOffset) / 32"),
                 db_CrossSectionNode{});
    for (db_CrossSectionNode& node : Nodes)
        node.Read(buffer, offset);
}

void db_CrossSectionSide::WriteOwn(buffer_Writer& writer) const {
    writer.PutInt8(Batter ? 1 : 0);
    writer.PutInt32(NumberOfNodes);
    if (Batter) Batter->Write(writer);
    for (const db_CrossSectionNode& node : Nodes)
        node.Write(writer);
}

void db_CrossSectionReport::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    const bool hasLeft = buffer.GetBool(offset);
    const bool hasRight = buffer.GetBool(offset);
    Center.Read(buffer, offset);
    LeftSide.reset();
    RightSide.reset();
    if (hasLeft) LeftSide.emplace().Read(buffer, offset);
    if (hasRight) RightSide.emplace().Read(buffer, offset);
}

void db_CrossSectionReport::WriteOwn(buffer_Writer& writer) const {
    writer.PutInt8(LeftSide ? 1 : 0);
    writer.PutInt8(RightSide ? 1 : 0);
    Center.Write(writer);
    if (LeftSide) LeftSide->Write(writer);
    if (RightSide) RightSide->Write(writer);
}

} // namespace tqxml
