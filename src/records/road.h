// Road and tunnel records: road design and deltas, the cross-section report
// with its nested parts, the tunnel cross-section with its point deltas, and
// the tunnel settings.
#pragma once

#include "records/fields.h"
#include <vector>

namespace tqxml {

class db_RoadAvailableStations final : public Record<db_RoadAvailableStations> {
};
class db_RoadConstructionOffsets final
    : public Record<db_RoadConstructionOffsets> {
};
class db_RoadDesign final
    : public Record<db_RoadDesign> {};
class db_RoadDeltas final
    : public Record<db_RoadDeltas> {};
class db_SecondaryRoadDeltas final
    : public Record<db_SecondaryRoadDeltas> {};
class db_RoadCatchDeltas final
    : public Record<db_RoadCatchDeltas> {};
class db_CrossSectionNode final
    : public Record<db_CrossSectionNode> {};
class db_CrossSectionBatter final
    : public Record<db_CrossSectionBatter> {};
class db_CrossSectionSide final
    : public Record<db_CrossSectionSide> {};
class db_CrossSectionCenterNode final : public Record<db_CrossSectionCenterNode> {};
class db_CrossSectionReport final
    : public Record<db_CrossSectionReport> {};
// A point delta measured on a tunnel cross-section. Never chained: the
// journal hands it to its cross-section, which keeps a copy.
class db_TunnelPointDelta final
    : public Record<db_TunnelPointDelta> {
public:
    using dbRecord_Class::Receive;

    db_DBIDValue Observation = NODBID;
    double Delta = 0;
    double HorizontalOffset = 0;
    double VerticalOffset = 0;
    double DeltaStation = 0;

    template <class V> void Fields(V& v) {
        v.Int("Observation", Observation, IntForm::Hex);
        v.Real("Delta", Delta);
        v.Real("HorizontalOffset", HorizontalOffset);
        v.Real("VerticalOffset", VerticalOffset);
        v.Real("DeltaStation", DeltaStation);
    }

    void Receive(const db_DBID& action) override;
};

// A tunnel cross-section at a station. The point deltas measured on it are
// attached while the journal is replayed; they are not part of its stored form.
class db_TunnelCrossSection final
    : public Record<db_TunnelCrossSection> {
public:
    Str TunnelName;
    double Station = 0;
    std::vector<db_TunnelPointDelta> PointDeltas; // own copies, in the order attached

    template <class V> void Fields(V& v) {
        v.Text("TunnelName", TunnelName);
        v.Real("Station", Station);
    }

    int32_t PointDeltaCount() const { return static_cast<int32_t>(PointDeltas.size()); }
    // The point delta at `index`; null (after an assertion) outside 0 to count - 1.
    const db_TunnelPointDelta* PointDelta(int32_t index) const;
    // Keeps a copy of `delta` after those already attached.
    void AttachPointDelta(const db_TunnelPointDelta& delta);
    // The first attached point delta whose identifier is `target` takes over
    // all of `delta` (header and fields). False when none has that identifier.
    bool ReplacePointDelta(db_DBIDValue target, const db_TunnelPointDelta& delta);
};
class db_TunnelSettings final
    : public Record<db_TunnelSettings> {};

} // namespace tqxml
