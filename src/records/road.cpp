// The tunnel cross-section's point deltas.
#include "records/road.h"

#include "records/modifiers.h"

namespace tqxml {

void db_TunnelPointDelta::Receive(const db_DBID& action) {
    Observation = action.Value;
}

const db_TunnelPointDelta* db_TunnelCrossSection::PointDelta(int32_t index) const {
    TQ_ASSERT_TEXT(index >= 0, "index >= 0");
    TQ_ASSERT_TEXT(index < PointDeltaCount(), "index < this->Count");
    if (index < 0 || index >= PointDeltaCount()) return nullptr;
    return &PointDeltas[static_cast<size_t>(index)];
}

void db_TunnelCrossSection::AttachPointDelta(const db_TunnelPointDelta& delta) {
    if (PointDeltas.capacity() == 0) PointDeltas.reserve(20);
    PointDeltas.push_back(delta);
}

bool db_TunnelCrossSection::ReplacePointDelta(db_DBIDValue target,
                                              const db_TunnelPointDelta& delta) {
    for (db_TunnelPointDelta& held : PointDeltas) {
        if (held.RecordId == target) {
            held = delta;
            return true;
        }
    }
    return false;
}

} // namespace tqxml
