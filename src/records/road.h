// Road and tunnel records: road design and deltas, the cross-section report
// with its nested parts, the tunnel cross-section with its point deltas, and
// the tunnel settings.
#pragma once

#include "records/coord.h"

#include <optional>
#include <vector>

namespace tqxml {

// Which kinds of station are offered when a road is staked.
class db_RoadAvailableStations final : public Record<db_RoadAvailableStations> {
public:
    int8_t RegularSections = 0;
    int8_t HorizCurve = 0;
    int8_t VerticalCurve = 0;
    int8_t TemplateAssignment = 0;
    int8_t SuperWiden = 0;

    template <class V> void Fields(V& v) {
        v.Bool("RegularSections", RegularSections);
        v.Bool("HorizCurve", HorizCurve);
        v.Bool("VerticalCurve", VerticalCurve);
        v.Bool("TemplateAssignment", TemplateAssignment);
        v.Bool("SuperWiden", SuperWiden);
    }
};

// The default construction offsets for each kind of road definition: the
// system's own roads, string roads and LandXML roads. Stored reals first
// within each group, then its switches; written grouped by offset kind.
class db_RoadConstructionOffsets final : public Record<db_RoadConstructionOffsets> {
public:
    double halvornSAOHorizontal = 0;
    double halvornSAOVertical = 0;
    double halvornPORVertical = 0;
    double halvornSSFAHorizontal = 0;
    double halvornSSFAVertical = 0;
    double halvornNROHorizontal = 0;
    double halvornNROVertical = 0;
    bool halvornSAOApplyOnSlopeNext = false;
    bool halvornSSFAApplyOnSlopeNext = false;
    bool halvornNROApplyOnSlopeNext = false;
    bool halvornSAOApplyOnSlopePrevious = false;
    bool halvornSSFAApplyOnSlopePrevious = false;
    bool halvornNROApplyOnSlopePrevious = false;
    bool halvornSAOApplyVertOnPerpendicular = false;
    bool halvornPORApplyVertOnPerpendicular = false;
    bool halvornSSFAApplyVertOnPerpendicular = false;
    bool halvornNROApplyVertOnPerpendicular = false;
    bool halvornNROApplyCalculatedOffset = false;
    double stringSOSHorizontal = 0;
    double stringSOSVertical = 0;
    double stringSOSStation = 0;
    double stringPORVertical = 0;
    double stringSASHorizontal = 0;
    double stringSASVertical = 0;
    bool stringSOSApplyOnSlopeNext = false;
    bool stringSOSApplyOnSlopePrevious = false;
    bool stringSOSApplyPerpendicularToSubString = false;
    bool stringSASApplyOnSlopeNext = false;
    bool stringSASApplyOnSlopePrevious = false;
    bool stringSOSApplyVertOnPerpendicular = false;
    bool stringPORApplyVertOnPerpendicular = false;
    bool stringSASApplyVertOnPerpendicular = false;
    bool stringSASApplyCalculatedOffset = false;
    bool stringSOSApplyOffsetAtString = false;
    bool stringSOSApplyCalculatedOffset = false;
    double landxmlSAOHorizontal = 0;
    double landxmlSAOVertical = 0;
    bool landxmlSAOApplyOnSlopeNext = false;
    bool landxmlSAOApplyOnSlopePrevious = false;
    bool landxmlSAOApplyVertOnPerpendicular = false;

    static constexpr FieldMove kDocumentMoves[] = {
        {"halvornSAOApplyOnSlopeNext", "halvornSAOVertical"},
        {"halvornSAOApplyOnSlopePrevious", "halvornSAOApplyOnSlopeNext"},
        {"halvornSAOApplyVertOnPerpendicular", "halvornSAOApplyOnSlopePrevious"},
        {"halvornPORApplyVertOnPerpendicular", "halvornPORVertical"},
        {"halvornSSFAApplyOnSlopeNext", "halvornSSFAVertical"},
        {"halvornSSFAApplyOnSlopePrevious", "halvornSSFAApplyOnSlopeNext"},
        {"halvornSSFAApplyVertOnPerpendicular", "halvornSSFAApplyOnSlopePrevious"},
        {"stringSOSApplyVertOnPerpendicular", "stringSOSApplyOnSlopePrevious"},
        {"stringPORVertical", "stringSOSApplyPerpendicularToSubString"},
        {"stringPORApplyVertOnPerpendicular", "stringPORVertical"},
        {"stringSASHorizontal", "stringPORApplyVertOnPerpendicular"},
        {"stringSASVertical", "stringSASHorizontal"},
    };

    template <class V> void Fields(V& v) {
        v.Real("halvornSAOHorizontal", halvornSAOHorizontal);
        v.Real("halvornSAOVertical", halvornSAOVertical);
        v.Real("halvornPORVertical", halvornPORVertical);
        v.Real("halvornSSFAHorizontal", halvornSSFAHorizontal);
        v.Real("halvornSSFAVertical", halvornSSFAVertical);
        v.Real("halvornNROHorizontal", halvornNROHorizontal);
        v.Real("halvornNROVertical", halvornNROVertical);
        v.Bool("halvornSAOApplyOnSlopeNext", halvornSAOApplyOnSlopeNext);
        v.Bool("halvornSSFAApplyOnSlopeNext", halvornSSFAApplyOnSlopeNext);
        v.Bool("halvornNROApplyOnSlopeNext", halvornNROApplyOnSlopeNext);
        v.Bool("halvornSAOApplyOnSlopePrevious", halvornSAOApplyOnSlopePrevious);
        v.Bool("halvornSSFAApplyOnSlopePrevious", halvornSSFAApplyOnSlopePrevious);
        v.Bool("halvornNROApplyOnSlopePrevious", halvornNROApplyOnSlopePrevious);
        v.Bool("halvornSAOApplyVertOnPerpendicular", halvornSAOApplyVertOnPerpendicular);
        v.Bool("halvornPORApplyVertOnPerpendicular", halvornPORApplyVertOnPerpendicular);
        v.Bool("halvornSSFAApplyVertOnPerpendicular", halvornSSFAApplyVertOnPerpendicular);
        v.Bool("halvornNROApplyVertOnPerpendicular", halvornNROApplyVertOnPerpendicular);
        v.Bool("halvornNROApplyCalculatedOffset", halvornNROApplyCalculatedOffset);
        v.Real("stringSOSHorizontal", stringSOSHorizontal);
        v.Real("stringSOSVertical", stringSOSVertical);
        v.Real("stringSOSStation", stringSOSStation);
        v.Real("stringPORVertical", stringPORVertical);
        v.Real("stringSASHorizontal", stringSASHorizontal);
        v.Real("stringSASVertical", stringSASVertical);
        v.Bool("stringSOSApplyOnSlopeNext", stringSOSApplyOnSlopeNext);
        v.Bool("stringSOSApplyOnSlopePrevious", stringSOSApplyOnSlopePrevious);
        v.Bool("stringSOSApplyPerpendicularToSubString", stringSOSApplyPerpendicularToSubString);
        v.Bool("stringSASApplyOnSlopeNext", stringSASApplyOnSlopeNext);
        v.Bool("stringSASApplyOnSlopePrevious", stringSASApplyOnSlopePrevious);
        v.Bool("stringSOSApplyVertOnPerpendicular", stringSOSApplyVertOnPerpendicular);
        v.Bool("stringPORApplyVertOnPerpendicular", stringPORApplyVertOnPerpendicular);
        v.Bool("stringSASApplyVertOnPerpendicular", stringSASApplyVertOnPerpendicular);
        v.Bool("stringSASApplyCalculatedOffset", stringSASApplyCalculatedOffset);
        v.Bool("stringSOSApplyOffsetAtString", stringSOSApplyOffsetAtString);
        v.Bool("stringSOSApplyCalculatedOffset", stringSOSApplyCalculatedOffset);
        v.Real("landxmlSAOHorizontal", landxmlSAOHorizontal);
        v.Real("landxmlSAOVertical", landxmlSAOVertical);
        v.Bool("landxmlSAOApplyOnSlopeNext", landxmlSAOApplyOnSlopeNext);
        v.Bool("landxmlSAOApplyOnSlopePrevious", landxmlSAOApplyOnSlopePrevious);
        v.Bool("landxmlSAOApplyVertOnPerpendicular", landxmlSAOApplyVertOnPerpendicular);
    }
};

// The road design settings in force for a staked road position.
class db_RoadDesign final : public Record<db_RoadDesign> {
public:
    int8_t BatterIsFill = 0;
    double BatterGrade = 0;
    bool ApplyConstructionHOffsetOnSlopePrevious = false;
    bool ApplyConstructionHOffsetOnSlopeNext = false;
    bool ApplyConstructionHOffsetOnCalculated = false;
    bool ApplyConstructionHOffsetPerpendicularToSubString = false;
    bool ApplyConstructionVOffsetOnPerpendicular = false;
    double ConstructionHOffset = 0;
    double ConstructionVOffset = 0;
    double ConstructionStationOffset = 0;
    double DitchOffset = 0;
    int8_t NewSideSlopeOffsetSelected = 0;
    double NewSideSlopeOffset = 0;
    int8_t SSFAHingeDefined = 0;
    int16_t SSFAHingeMethod = 0;
    double SSFAHingeOffset = 0;
    double SSFAHingeElevation = 0;
    double SSFAHingeSlope = 0;
    double SSFAHingeVerticalDistance = 0;
    double CrossSlopeDelta = 0;
    double CrossSlopeOffset = 0;
    double SubgradeDepth = 0;
    int8_t RoadType = 0;
    bool StakingSubgradeIntersection = false;

    static constexpr FieldMove kDocumentMoves[] = {
        {"CrossSlopeDelta", "ConstructionStationOffset"},
        {"CrossSlopeOffset", "CrossSlopeDelta"},
        {"SubgradeDepth", "CrossSlopeOffset"},
        {"StakingSubgradeIntersection", "SubgradeDepth"},
    };

    template <class V> void Fields(V& v) {
        v.Bool("BatterIsFill", BatterIsFill);
        v.Real("BatterGrade", BatterGrade);
        ConstructionOffsets(v);
        v.Real("DitchOffset", DitchOffset);
        SideSlope(v);
        v.Real("CrossSlopeDelta", CrossSlopeDelta);
        v.Real("CrossSlopeOffset", CrossSlopeOffset);
        v.Real("SubgradeDepth", SubgradeDepth);
        v.Enum("RoadType", RoadType, dbentity_RoadType);
        v.Bool("StakingSubgradeIntersection", StakingSubgradeIntersection);
    }

private:
    // Two runs of fields that keep their order in both forms.
    template <class V> void ConstructionOffsets(V& v) {
        v.Bool("ApplyConstructionHOffsetOnSlopePrevious", ApplyConstructionHOffsetOnSlopePrevious);
        v.Bool("ApplyConstructionHOffsetOnSlopeNext", ApplyConstructionHOffsetOnSlopeNext);
        v.Bool("ApplyConstructionHOffsetOnCalculated", ApplyConstructionHOffsetOnCalculated);
        v.Bool("ApplyConstructionHOffsetPerpendicularToSubString",
               ApplyConstructionHOffsetPerpendicularToSubString);
        v.Bool("ApplyConstructionVOffsetOnPerpendicular", ApplyConstructionVOffsetOnPerpendicular);
        v.Real("ConstructionHOffset", ConstructionHOffset);
        v.Real("ConstructionVOffset", ConstructionVOffset);
        v.Real("ConstructionStationOffset", ConstructionStationOffset);
    }
    template <class V> void SideSlope(V& v) {
        v.Bool("NewSideSlopeOffsetSelected", NewSideSlopeOffsetSelected);
        v.Real("NewSideSlopeOffset", NewSideSlopeOffset);
        v.Bool("SSFAHingeDefined", SSFAHingeDefined);
        v.Enum("SSFAHingeMethod", SSFAHingeMethod, dbentity_SideSlopeHingeDerv);
        v.Real("SSFAHingeOffset", SSFAHingeOffset);
        v.Real("SSFAHingeElevation", SSFAHingeElevation);
        v.Real("SSFAHingeSlope", SSFAHingeSlope);
        v.Real("SSFAHingeVerticalDistance", SSFAHingeVerticalDistance);
    }
};

// The deltas of a staked road position to the design and to the catch point.
class db_RoadDeltas final : public Record<db_RoadDeltas> {
public:
    double OffsetToCatch = 0;
    double OrthometricHeight = 0;
    double BatterToCatchHDist = 0;
    double BatterToCatchVDist = 0;
    double BatterToCatchSDist = 0;
    double BatterToCatchConstrSDist = 0;
    bool AsStakedBatterIsFill = false;
    double AsStakedBatterGrade = 0;

    template <class V> void Fields(V& v) {
        v.Real("OffsetToCatch", OffsetToCatch);
        v.Real("OrthometricHeight", OrthometricHeight);
        v.Real("BatterToCatchHDist", BatterToCatchHDist);
        v.Real("BatterToCatchVDist", BatterToCatchVDist);
        v.Real("BatterToCatchSDist", BatterToCatchSDist);
        v.Real("BatterToCatchConstrSDist", BatterToCatchConstrSDist);
        v.Bool("AsStakedBatterIsFill", AsStakedBatterIsFill);
        v.Real("AsStakedBatterGrade", AsStakedBatterGrade);
    }
};

class db_SecondaryRoadDeltas final : public Record<db_SecondaryRoadDeltas> {
public:
    Str RoadName;
    double HDist = 0;
    double VDist = 0;
    double DistanceToCL = 0; // to the centre line
    double Chainage = 0;
    double CrossSlopeDelta = 0;
    double CrossSlopeOffset = 0;

    template <class V> void Fields(V& v) {
        v.Text("RoadName", RoadName);
        v.Real("HDist", HDist);
        v.Real("VDist", VDist);
        v.Real("DistanceToCL", DistanceToCL);
        v.Real("Chainage", Chainage);
        v.Real("CrossSlopeDelta", CrossSlopeDelta);
        v.Real("CrossSlopeOffset", CrossSlopeOffset);
    }
};

class db_RoadCatchDeltas final : public Record<db_RoadCatchDeltas> {
public:
    Str Code;
    double Offset = 0;
    double Height = 0;

    template <class V> void Fields(V& v) {
        v.Text("Code", Code);
        v.Real("Offset", Offset);
        v.Real("Height", Height);
    }
};

// ---- The cross-section report and its nested records ------------------------
//
// The parts of a report are records of their own, each stored inline with
// its own common header, and never chained.

class db_CrossSectionNode final : public Record<db_CrossSectionNode> {
public:
    Str Code;
    double Offset = 0;
    double Elevation = 0;

    template <class V> void Fields(V& v) {
        v.Text("Code", Code);
        v.Real("Offset", Offset);
        v.Real("Elevation", Elevation);
    }
};

class db_CrossSectionBatter final : public Record<db_CrossSectionBatter> {
public:
    Str Code;
    double CutGrade = 0;
    double FillGrade = 0;
    double DitchWidth = 0;

    template <class V> void Fields(V& v) {
        v.Text("Code", Code);
        v.Real("CutGrade", CutGrade);
        v.Real("FillGrade", FillGrade);
        v.Real("DitchWidth", DitchWidth);
    }
};

// One side of a cross-section: stored as its has-batter flag, its node count,
// the batter if flagged, then the nodes (none for a count of zero or less);
// written with the batter after the nodes. The count is kept as stored.
class db_CrossSectionSide final : public Record<db_CrossSectionSide> {
public:
    int32_t NumberOfNodes = 0;
    std::optional<db_CrossSectionBatter> Batter;
    std::vector<db_CrossSectionNode> Nodes;

    static constexpr FieldMove kDocumentMoves[] = {{"Batter", "Node"}};

    template <class V> void Fields(V& v) {
        v.Int("NumberOfNodes", NumberOfNodes, IntForm::Signed);
        v.Element("Batter", Batter);
        v.Element("Node", Nodes);
    }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

// A grid position stored East first; written, as everywhere, North first.
struct coord_EastNorthGrid : coord_CorrectedGrid {
    static constexpr FieldMove kDocumentMoves[] = {{"East", "North"}};

    template <class V> void Fields(V& v) {
        v.Real("East", East);
        v.Real("North", North);
        v.Real("Elev", Elev);
    }
};

class db_CrossSectionCenterNode final : public Record<db_CrossSectionCenterNode> {
public:
    Str Code;
    double Station = 0;
    StationEquation EquatedRoadStation;
    double RightAzimuth = 0;
    coord_EastNorthGrid Grid;

    template <class V> void Fields(V& v) {
        v.Text("Code", Code);
        v.Real("Station", Station);
        v.Struct("EquatedRoadStation", EquatedRoadStation);
        v.Real("RightAzimuth", RightAzimuth);
        v.Struct("Grid", Grid);
    }
};

// A road cross-section at one station: flags for the sides present, the
// centre, then each side present.
class db_CrossSectionReport final : public Record<db_CrossSectionReport> {
public:
    db_CrossSectionCenterNode Center;
    std::optional<db_CrossSectionSide> LeftSide;
    std::optional<db_CrossSectionSide> RightSide;

    template <class V> void Fields(V& v) {
        v.Element("Center", Center);
        v.Element("LeftSide", LeftSide);
        v.Element("RightSide", RightSide);
    }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

// ---- Tunnels ----------------------------------------------------------------

// A point delta measured on a tunnel cross-section. Never chained: the
// journal hands it to its cross-section, which keeps a copy.
class db_TunnelPointDelta final
    : public Record<db_TunnelPointDelta> {
public:
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
};

// A tunnel cross-section at a station. The point deltas measured on it are
// attached while the journal is replayed; they are not part of its stored
// form, and the document writes each after the station.
class db_TunnelCrossSection final
    : public Record<db_TunnelCrossSection> {
public:
    Str TunnelName;
    double Station = 0;
    std::vector<db_TunnelPointDelta> PointDeltas; // own copies, in the order attached

    template <class V> void Fields(V& v) {
        v.Text("TunnelName", TunnelName);
        v.Real("Station", Station);
        v.Records(PointDeltas);
    }
};

class db_TunnelSettings final : public Record<db_TunnelSettings> {
public:
    double StationTolerance = 0;
    double OverbreakTolerance = 0;
    double UnderbreakTolerance = 0;
    double ScanInterval = 0;
    double EDMTimeout = 0;
    Str TunnelName;

    static constexpr FieldMove kDocumentMoves[] = {
        {"ScanInterval", nullptr},
        {"EDMTimeout", "ScanInterval"},
    };

    template <class V> void Fields(V& v) {
        v.Real("StationTolerance", StationTolerance);
        v.Real("OverbreakTolerance", OverbreakTolerance);
        v.Real("UnderbreakTolerance", UnderbreakTolerance);
        v.Real("ScanInterval", ScanInterval);
        v.Real("EDMTimeout", EDMTimeout);
        v.Text("TunnelName", TunnelName);
    }
};

} // namespace tqxml
