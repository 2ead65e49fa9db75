// Observations and their measurements, and the other point records, in the
// document: element texts byte for byte, and what the journal's replace and
// modifier entries do to an observation as the document shows it.
#include "convert/driver.h"
#include "convert/xml_fields.h"
#include "db/access.h"
#include "job_writer.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"
#include "support/journal_damage.h"
#include "support/record_text.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tqxml {
namespace {

std::string RecordText(const dbRecord_Class& record) {
    return RecordElementText(record);
}

// A measurement as its observation writes it, one level deeper than a record.
std::string MeasurementText(const dbRecord_Class& measurement) {
    Str out;
    StreamSink sink(out, nullptr, 2);
    XmlFieldVisitor<StreamSink>(sink).Measurement(&measurement);
    return std::string(out.View());
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

template <class R> R Stamped(db_DBIDValue id, double timeStamp) {
    R record;
    record.RecordId = id;
    record.TimeStamp = timeStamp;
    return record;
}

db_Observation NamedPoint(const char* name) {
    auto point = Stamped<db_Observation>(1, 0);
    point.PointName = name;
    return point;
}

constexpr const char kObservationStart[] =
    "\r\n    <DATABASE_ObservationRecord rec=\"db_Observation\" ID=\"0x00000001\" type=\"002\" "
    "TimeStamp=\"0\">\r\n";

TEST(ObservationRecord, WritesItsFieldsThenDescriptionsFeaturesAndMeasurement) {
    RecordingEnvironment env;
    db_Observation point = NamedPoint(" P<1> ");
    point.Derivation = 0x4B4D;
    point.Method = 1;
    point.SurveyMethod = 3;
    point.Classification = 9;
    point.Note = "checked";
    auto azimuth = Stamped<db_Azimuth>(0x12, 1.5);
    azimuth.SourcePoint = "BASE";
    azimuth.Azimuth = 1.25;
    azimuth.CreatedView = 0x0805;
    azimuth.Note = "not written";
    point.SetMeasurement(azimuth);
    EXPECT_EQ(RecordText(point),
              std::string(kObservationStart) +
                  "        <PointName>P&lt;1&gt;</PointName>\r\n"
                  "        <Derivation>MK</Derivation>\r\n"
                  "        <Method>DBENTITY_Coordinates</Method>\r\n"
                  "        <SurveyMethod>DBENTITY_Fix</SurveyMethod>\r\n"
                  "        <Classification>Control</Classification>\r\n"
                  "        <Deleted>false</Deleted>\r\n"
                  "        <Descriptions>\r\n"
                  "            <Description1/>\r\n"
                  "            <Description2/>\r\n"
                  "        </Descriptions>\r\n"
                  "        <DATABASE_FeaturesRecord rec=\"FeatureArray\" FeatureCount=\"0\"/>\r\n"
                  "\r\n"
                  "        <DATABASE_AzimuthRecord rec=\"db_Azimuth\" ID=\"0x00000012\" "
                  "type=\"017\" TimeStamp=\"1.5\">\r\n"
                  "            <SourcePoint>BASE</SourcePoint>\r\n"
                  "            <Azimuth>1.25</Azimuth>\r\n"
                  "            <CreatedView>COORDSYS_CogoAzimuthWGS84 COORDSYS_CogoAzimuthGrid "
                  "COORDSYS_CogoOrthoHeights</CreatedView>\r\n"
                  "        </DATABASE_AzimuthRecord>\r\n"
                  "        <Note>checked</Note>\r\n"
                  "    </DATABASE_ObservationRecord>\r\n");
    EXPECT_TRUE(env.assertions.empty());
}

TEST(ObservationRecord, FeaturesCarryEveryAttributeKindAsAttributes) {
    RecordingEnvironment env;
    db_Observation point = NamedPoint("T1");
    point.Descriptions = {" first ", "<second>"};
    Feature tree{"TREE", "Tree", {}};
    tree.Attributes.push_back({FEATURE_Numerical, "Height", 12.5, "", 0});
    tree.Attributes.push_back({FEATURE_Numerical, "Girth", 1e308, "", 0});
    tree.Attributes.push_back({FEATURE_Text, "Species", 0, " Oak \"old\" ", 0});
    tree.Attributes.push_back({FEATURE_Menu, "Health", 0, "Good", 3});
    tree.Attributes.push_back({FEATURE_Date, "Planted", 43000, "", 0});
    tree.Attributes.push_back({FEATURE_Time, "At", 0.5, "", 0});
    tree.Attributes.push_back({FEATURE_File, "Photo", 0, "img/t1.jpg", 0});
    tree.Attributes.push_back({FEATURE_Separator, "---", 0, "", 0});
    tree.Attributes.push_back({9, "Odd", 7, "x", 2});
    point.Features = {tree, Feature{"WALL", "", {}}};
    const std::string text = RecordText(point);
    EXPECT_TRUE(Contains(
        text, "        <Deleted>false</Deleted>\r\n"
              "        <Descriptions>\r\n"
              "            <Description1>first</Description1>\r\n"
              "            <Description2>&lt;second&gt;</Description2>\r\n"
              "        </Descriptions>\r\n"
              "        <DATABASE_FeaturesRecord rec=\"FeatureArray\" FeatureCount=\"2\">\r\n"
              "            <Feature Name=\"Tree\" StringCode=\"TREE\" AttributeCount=\"9\">\r\n"
              "                <Attribute Name=\"Height\" Type=\"Numerical\" Value=\"12.5\"/>\r\n"
              "                <Attribute Name=\"Girth\" Type=\"Numerical\" Value=\"\"/>\r\n"
              "                <Attribute Name=\"Species\" Type=\"Text\" Value=\"Oak "
              "&quot;old&quot;\"/>\r\n"
              "                <Attribute Name=\"Health\" Type=\"Menu\" ItemIndex=\"3\" "
              "Item=\"Good\"/>\r\n"
              "                <Attribute Name=\"Planted\" Type=\"Date\" Value=\"43000\"/>\r\n"
              "                <Attribute Name=\"At\" Type=\"Time\" Value=\"0.5\"/>\r\n"
              "                <Attribute Name=\"Photo\" Type=\"File\" Value=\"img/t1.jpg\"/>\r\n"
              "                <Attribute Name=\"---\" Type=\"Separator\"/>\r\n"
              "                <Attribute Name=\"Odd\" Type=\"\"/>\r\n"
              "            </Feature>\r\n"
              "            <Feature Name=\"\" StringCode=\"WALL\" AttributeCount=\"0\"/>\r\n"
              "        </DATABASE_FeaturesRecord>\r\n"
              "    </DATABASE_ObservationRecord>\r\n"))
        << text;
    EXPECT_EQ(env.assertions, std::vector<std::string>{"False"});
}

TEST(ObservationRecord, SmallValueTypesAndTheirEdges) {
    RecordingEnvironment env;
    db_Observation point = NamedPoint("P");
    EXPECT_EQ(point.Derivation, 0x2020); // a new point: two spaces
    EXPECT_TRUE(Contains(RecordText(point),
                         "        <Derivation></Derivation>\r\n"
                         "        <Method>DBENTITY_Unknown</Method>\r\n"
                         "        <SurveyMethod>DBENTITY_KeyedIn</SurveyMethod>\r\n"
                         "        <Classification>None</Classification>\r\n"));
    point.Derivation = 0;
    point.Method = 55;
    point.SurveyMethod = -1;
    point.Classification = 10;
    point.Deleted = true;
    EXPECT_TRUE(Contains(RecordText(point), "        <Derivation/>\r\n"
                                            "        <Method/>\r\n"
                                            "        <SurveyMethod/>\r\n"
                                            "        <Classification/>\r\n"
                                            "        <Deleted>true</Deleted>\r\n"));
    EXPECT_EQ(env.assertions, (std::vector<std::string>{"!\"improper dbentity_PointMethod\"",
                                                        "!\"improper dbentity_SurveyMethod\"",
                                                        "!\"improper db_PointClassification\""}));
}

TEST(ObservationRecord, AMissingOrForeignMeasurementIsLeftOut) {
    RecordingEnvironment env;
    db_Observation point = NamedPoint("P");
    const std::string end =
        "        <DATABASE_FeaturesRecord rec=\"FeatureArray\" FeatureCount=\"0\"/>\r\n"
        "    </DATABASE_ObservationRecord>\r\n";
    EXPECT_TRUE(Contains(RecordText(point), end));
    EXPECT_TRUE(env.assertions.empty());

    point.Measurement = std::make_unique<db_Note>(); // only a damaged model could hold this
    EXPECT_TRUE(Contains(RecordText(point), end));
    EXPECT_EQ(env.assertions, std::vector<std::string>{"0"});

    // A point without a name is still written, after its assertion.
    db_Observation unnamed = NamedPoint("");
    EXPECT_TRUE(Contains(RecordText(unnamed), "        <PointName/>\r\n"));
    EXPECT_TRUE(env.HasAssertion("this->PointName.Length() > 0"));
}

TEST(MeasurementRecords, CircleAndMeanTurnedAngle) {
    RecordingEnvironment env;
    auto circle = Stamped<db_Circle>(0x21, 3);
    circle.Circle = {1.5, 90.25, 100.125, 1, 1e308, 0.001, 0.002, 9};
    circle.Station = 0x10;
    circle.Target = 0xABCDEF01;
    circle.CreatedView = 0x0300; // only bits without a name
    EXPECT_EQ(MeasurementText(circle),
              "\r\n"
              "        <DATABASE_CircleRecord rec=\"db_Circle\" ID=\"0x00000021\" type=\"016\" "
              "TimeStamp=\"3\">\r\n"
              "            <Circle datatype=\"coord_Circle\">\r\n"
              "                <HorzCircle>1.5</HorzCircle>\r\n"
              "                <VertCircle>90.25</VertCircle>\r\n"
              "                <EDMDistance>100.125</EDMDistance>\r\n"
              "                <Face>COORD_Face1</Face>\r\n"
              "                <HorzCircleStdErr/>\r\n"
              "                <VertCircleStdErr>0.001</VertCircleStdErr>\r\n"
              "                <EDMDistanceStdErr>0.002</EDMDistanceStdErr>\r\n"
              "                <EDMMeasurementMode/>\r\n"
              "            </Circle>\r\n"
              "            <Station>0x00000010</Station>\r\n"
              "            <Target>0xabcdef01</Target>\r\n"
              "            <BackBearing>0x00000000</BackBearing>\r\n"
              "            <CreatedView/>\r\n"
              "        </DATABASE_CircleRecord>\r\n");
    EXPECT_EQ(env.assertions, std::vector<std::string>{"!\"improper total_MeasurementMode\""});

    auto mta = Stamped<db_MeanTurnedAngle>(0x22, 0);
    mta.MTA = {10, 20, 30, 0.1, 0.2, 0.3, 4, -1, 2147483647};
    mta.BackBearing = 7;
    mta.CreatedView = 2;
    EXPECT_EQ(MeasurementText(mta),
              "\r\n"
              "        <DATABASE_MeanTurnedAngleRecord rec=\"db_MeanTurnedAngle\" "
              "ID=\"0x00000022\" type=\"018\" TimeStamp=\"0\">\r\n"
              "            <MTA datatype=\"coord_MTA\">\r\n"
              "                <HorzCircle>10</HorzCircle>\r\n"
              "                <VertCircle>20</VertCircle>\r\n"
              "                <EDMDistance>30</EDMDistance>\r\n"
              "                <HorzCircleStdErr>0.1</HorzCircleStdErr>\r\n"
              "                <VertCircleStdErr>0.2</VertCircleStdErr>\r\n"
              "                <EDMDistanceStdErr>0.3</EDMDistanceStdErr>\r\n"
              "                <NumberOfHAngles>4</NumberOfHAngles>\r\n"
              "                <NumberOfVAngles>-1</NumberOfVAngles>\r\n"
              "                <NumberOfDistances>2147483647</NumberOfDistances>\r\n"
              "            </MTA>\r\n"
              "            <Station>0x00000000</Station>\r\n"
              "            <Target>0x00000000</Target>\r\n"
              "            <BackBearing>0x00000007</BackBearing>\r\n"
              "            <CreatedView>COORDSYS_CogoAzimuthLocal</CreatedView>\r\n"
              "        </DATABASE_MeanTurnedAngleRecord>\r\n");
}

TEST(MeasurementRecords, PolarAndLaserOffset) {
    auto polar = Stamped<db_Polar>(0x23, 0);
    polar.SourcePoint = "";
    polar.Polar = {45, 12.5, -0.75};
    polar.CreatedView = 32;
    EXPECT_EQ(MeasurementText(polar),
              "\r\n"
              "        <DATABASE_PolarRecord rec=\"db_Polar\" ID=\"0x00000023\" type=\"014\" "
              "TimeStamp=\"0\">\r\n"
              "            <SourcePoint/>\r\n"
              "            <Polar datatype=\"coord_Polar\">\r\n"
              "                <Azimuth>45</Azimuth>\r\n"
              "                <HDist>12.5</HDist>\r\n"
              "                <VDist>-0.75</VDist>\r\n"
              "            </Polar>\r\n"
              "            <CreatedView>COORDSYS_CogoDistanceGrid</CreatedView>\r\n"
              "        </DATABASE_PolarRecord>\r\n");

    auto laser = Stamped<db_LaserOffset>(0x24, 0);
    laser.BasePoint = 1;
    laser.LaserOffset = {359.5, 1e-5, 1e16};
    laser.LaserHeight = 2;
    laser.TargetHeight = 3;
    laser.MagneticDeclination = 4;
    EXPECT_EQ(MeasurementText(laser),
              "\r\n"
              "        <DATABASE_LaserOffsetRecord rec=\"db_LaserOffset\" ID=\"0x00000024\" "
              "type=\"015\" TimeStamp=\"0\">\r\n"
              "            <BasePoint>0x00000001</BasePoint>\r\n"
              "            <LaserOffset datatype=\"coord_LaserOffset\">\r\n"
              "                <Azimuth>359.5</Azimuth>\r\n"
              "                <VertAngle>1E-005</VertAngle>\r\n"
              "                <SlopeDist>1E+016</SlopeDist>\r\n"
              "            </LaserOffset>\r\n"
              "            <LaserHeight>0x00000002</LaserHeight>\r\n"
              "            <TargetHeight>0x00000003</TargetHeight>\r\n"
              "            <MagneticDeclination>0x00000004</MagneticDeclination>\r\n"
              "            <CreatedView/>\r\n"
              "        </DATABASE_LaserOffsetRecord>\r\n");
}

TEST(MeasurementRecords, PositionsInTheirCoordinateStructures) {
    auto wgs = Stamped<db_WGS84>(0x25, 0);
    wgs.WGS84 = {0.7, -1.9, 120.5};
    EXPECT_EQ(MeasurementText(wgs),
              "\r\n"
              "        <DATABASE_WGS84Record rec=\"db_WGS84\" ID=\"0x00000025\" "
              "type=\"011\" TimeStamp=\"0\">\r\n"
              "            <WGS84 datatype=\"coord_WGS84\">\r\n"
              "                <Lat>0.7</Lat>\r\n"
              "                <Long>-1.9</Long>\r\n"
              "                <Height>120.5</Height>\r\n"
              "            </WGS84>\r\n"
              "        </DATABASE_WGS84Record>\r\n");

    auto local = Stamped<db_Local>(0x26, 0);
    local.Local = {0.5, 0.25, 1e308};
    EXPECT_EQ(MeasurementText(local),
              "\r\n"
              "        <DATABASE_LocalRecord rec=\"db_Local\" ID=\"0x00000026\" "
              "type=\"012\" TimeStamp=\"0\">\r\n"
              "            <Local datatype=\"coord_Local\">\r\n"
              "                <Lat>0.5</Lat>\r\n"
              "                <Long>0.25</Long>\r\n"
              "                <Height/>\r\n"
              "            </Local>\r\n"
              "        </DATABASE_LocalRecord>\r\n");

    auto grid = Stamped<db_Grid>(0x27, 0);
    grid.Grid = {5000, 3000, 12};
    EXPECT_EQ(MeasurementText(grid),
              "\r\n"
              "        <DATABASE_GridRecord rec=\"db_Grid\" ID=\"0x00000027\" "
              "type=\"013\" TimeStamp=\"0\">\r\n"
              "            <Grid datatype=\"coord_CorrectedGrid\">\r\n"
              "                <North>5000</North>\r\n"
              "                <East>3000</East>\r\n"
              "                <Elev>12</Elev>\r\n"
              "            </Grid>\r\n"
              "        </DATABASE_GridRecord>\r\n");
    // North is stored first.
    buffer_Writer stored;
    grid.Write(stored);
    buffer_Class buffer(stored.Length(), ENDIAN_Little, stored.Data());
    int32_t offset = 15;
    EXPECT_EQ(buffer.GetDouble(offset), 5000);
}

TEST(MeasurementRecords, EarthCentredPositionsAndDeltas) {
    auto ecef = Stamped<db_ECEF>(0x28, 0);
    ecef.ECEF = {-2.5e6, 4.5e6, 3.5e6};
    ecef.Antenna = 0x30;
    EXPECT_EQ(MeasurementText(ecef),
              "\r\n"
              "        <DATABASE_ECEFRecord rec=\"db_ECEF\" ID=\"0x00000028\" "
              "type=\"009\" TimeStamp=\"0\">\r\n"
              "            <ECEF datatype=\"coord_ECEF\">\r\n"
              "                <X>-2500000</X>\r\n"
              "                <Y>4500000</Y>\r\n"
              "                <Z>3500000</Z>\r\n"
              "            </ECEF>\r\n"
              "            <Antenna>0x00000030</Antenna>\r\n"
              "        </DATABASE_ECEFRecord>\r\n");

    auto deltas = Stamped<db_ECEFDeltas>(0x29, 0);
    deltas.ECEFDeltas = {1, -2, 0.5};
    deltas.Reference = 0x31;
    deltas.Antenna = 0x32;
    EXPECT_EQ(MeasurementText(deltas),
              "\r\n"
              "        <DATABASE_ECEFDeltasRecord rec=\"db_ECEFDeltas\" ID=\"0x00000029\" "
              "type=\"008\" TimeStamp=\"0\">\r\n"
              "            <ECEFDeltas datatype=\"coord_ECEFDeltas\">\r\n"
              "                <dX>1</dX>\r\n"
              "                <dY>-2</dY>\r\n"
              "                <dZ>0.5</dZ>\r\n"
              "            </ECEFDeltas>\r\n"
              "            <Reference>0x00000031</Reference>\r\n"
              "            <Antenna>0x00000032</Antenna>\r\n"
              "        </DATABASE_ECEFDeltasRecord>\r\n");

    auto ground = Stamped<db_ECEFGround>(0x2A, 0);
    ground.ECEFGround.X = 1;
    ground.ECEFGround.Y = 2;
    ground.ECEFGround.Z = 3;
    EXPECT_EQ(MeasurementText(ground),
              "\r\n"
              "        <DATABASE_ECEFGroundRecord rec=\"db_ECEFGround\" ID=\"0x0000002a\" "
              "type=\"010\" TimeStamp=\"0\">\r\n"
              "            <ECEFGround datatype=\"coord_ECEF\">\r\n"
              "                <X>1</X>\r\n"
              "                <Y>2</Y>\r\n"
              "                <Z>3</Z>\r\n"
              "            </ECEFGround>\r\n"
              "        </DATABASE_ECEFGroundRecord>\r\n");
}

TEST(MeasurementRecords, AreNotWrittenAsRecordsOfTheirOwn) {
    for (uint32_t type = 0; type < DATABASE_AllRecords; ++type) {
        if (IsRecordCategory(type, record_table::Measurement)) {
            EXPECT_FALSE(HasRecordWriter(type)) << type;
        }
    }
    EXPECT_TRUE(HasRecordWriter(DATABASE_ObservationRecord));
}

TEST(PointRecords, KeyedInPoint) {
    RecordingEnvironment env;
    auto keyin = Stamped<db_PointKeyin>(0x40, 0);
    keyin.Method = 7;
    keyin.PointOne = "A";
    keyin.PointTwo = "B & C";
    keyin.PointFour = "  D";
    keyin.AzimuthOne = 90;
    keyin.DistanceOne = 25.5;
    keyin.AzimuthTwo = 1e308;
    keyin.DistanceTwo = 0;
    keyin.TurnedAngle = 123456789.123456789;
    keyin.VOffset = -0.001;
    keyin.BearingDistanceAzimuthType = 2;
    keyin.CreatedView = 0x0805;
    keyin.DirectionAlongLine = 4; // one past the table
    keyin.VerticalPlaneIntersectionRay = {10, 20, 30, 2, 0, 0, 0, 6};
    EXPECT_EQ(
        RecordText(keyin),
        "\r\n"
        "    <DATABASE_PointKeyinRecord rec=\"db_PointKeyin\" ID=\"0x00000040\" type=\"082\" "
        "TimeStamp=\"0\">\r\n"
        "        <Method>DBENTITY_BrngVerticalPlaneInter</Method>\r\n"
        "        <PointOne>A</PointOne>\r\n"
        "        <PointTwo>B &amp; C</PointTwo>\r\n"
        "        <PointThree/>\r\n"
        "        <PointFour>D</PointFour>\r\n"
        "        <AzimuthOne>90</AzimuthOne>\r\n"
        "        <DistanceOne>25.5</DistanceOne>\r\n"
        "        <AzimuthTwo/>\r\n"
        "        <DistanceTwo>0</DistanceTwo>\r\n"
        "        <TurnedAngle>123456789.1234568</TurnedAngle>\r\n"
        "        <VOffset>-0.001</VOffset>\r\n"
        "        <BearingDistanceAzimuthType>DBENTITY_OriginMag</BearingDistanceAzimuthType>\r\n"
        "        <CreatedView>COORDSYS_CogoAzimuthWGS84 COORDSYS_CogoAzimuthGrid "
        "COORDSYS_CogoOrthoHeights</CreatedView>\r\n"
        "        <DirectionAlongLine/>\r\n"
        "        <VerticalPlaneIntersectionRay datatype=\"coord_Circle\">\r\n"
        "            <HorzCircle>10</HorzCircle>\r\n"
        "            <VertCircle>20</VertCircle>\r\n"
        "            <EDMDistance>30</EDMDistance>\r\n"
        "            <Face>COORD_Face2</Face>\r\n"
        "            <HorzCircleStdErr>0</HorzCircleStdErr>\r\n"
        "            <VertCircleStdErr>0</VertCircleStdErr>\r\n"
        "            <EDMDistanceStdErr>0</EDMDistanceStdErr>\r\n"
        "            <EDMMeasurementMode>TOTAL_EDMDefault</EDMMeasurementMode>\r\n"
        "        </VerticalPlaneIntersectionRay>\r\n"
        "    </DATABASE_PointKeyinRecord>\r\n");
    EXPECT_EQ(env.assertions,
              std::vector<std::string>{"!\"improper dbentity_DirectionAlongLine\""});
}

TEST(PointRecords, DeltasStationingAndDeviations) {
    auto polar = Stamped<db_PolarDeltas>(0x41, 0);
    polar.Polar = {180, 2, 1e308};
    EXPECT_EQ(RecordText(polar), "\r\n"
                                 "    <DATABASE_PolarDeltasRecord rec=\"db_PolarDeltas\" "
                                 "ID=\"0x00000041\" type=\"083\" TimeStamp=\"0\">\r\n"
                                 "        <Polar datatype=\"coord_Polar\">\r\n"
                                 "            <Azimuth>180</Azimuth>\r\n"
                                 "            <HDist>2</HDist>\r\n"
                                 "            <VDist/>\r\n"
                                 "        </Polar>\r\n"
                                 "    </DATABASE_PolarDeltasRecord>\r\n");

    auto stationing = Stamped<db_Stationing>(0x42, 0);
    stationing.Start = 1000;
    stationing.Increment = 20.5;
    EXPECT_EQ(RecordText(stationing), "\r\n"
                                      "    <DATABASE_StationingRecord rec=\"db_Stationing\" "
                                      "ID=\"0x00000042\" type=\"084\" TimeStamp=\"0\">\r\n"
                                      "        <Start>1000</Start>\r\n"
                                      "        <Increment>20.5</Increment>\r\n"
                                      "    </DATABASE_StationingRecord>\r\n");

    auto grid = Stamped<db_GridDeltas>(0x43, 0);
    grid.GridDeltas = {-1, 0.5, 2};
    EXPECT_EQ(RecordText(grid), "\r\n"
                                "    <DATABASE_GridDeltasRecord rec=\"db_GridDeltas\" "
                                "ID=\"0x00000043\" type=\"085\" TimeStamp=\"0\">\r\n"
                                "        <GridDeltas datatype=\"coord_GridDeltas\">\r\n"
                                "            <dNorth>-1</dNorth>\r\n"
                                "            <dEast>0.5</dEast>\r\n"
                                "            <dElev>2</dElev>\r\n"
                                "        </GridDeltas>\r\n"
                                "    </DATABASE_GridDeltasRecord>\r\n");

    auto deviations = Stamped<db_GridStdDeviations>(0x44, 0);
    deviations.StdDev = {0.01, 0.02, 0.03};
    EXPECT_EQ(RecordText(deviations), "\r\n"
                                      "    <DATABASE_GridStdDeviationsRecord "
                                      "rec=\"db_GridStdDeviations\" ID=\"0x00000044\" type=\"132\" "
                                      "TimeStamp=\"0\">\r\n"
                                      "        <StdDev datatype=\"coord_CorrectedGrid\">\r\n"
                                      "            <North>0.01</North>\r\n"
                                      "            <East>0.02</East>\r\n"
                                      "            <Elev>0.03</Elev>\r\n"
                                      "        </StdDev>\r\n"
                                      "    </DATABASE_GridStdDeviationsRecord>\r\n");
}

TEST(PointRecords, StationAndOffset) {
    auto offset = Stamped<db_StationOffset>(0x45, 0);
    offset.EntityType = 5;
    offset.EntityName = "Main <Rd>";
    offset.Station = 1250.5;
    offset.EquatedRoadStation = {250.5, -2};
    offset.Offset = -3.5;
    offset.VDist = 1e308;
    offset.Code = "";
    EXPECT_EQ(RecordText(offset), "\r\n"
                                  "    <DATABASE_StationOffsetRecord rec=\"db_StationOffset\" "
                                  "ID=\"0x00000045\" type=\"117\" TimeStamp=\"0\">\r\n"
                                  "        <EntityType>DBENTITY_RoadEntity</EntityType>\r\n"
                                  "        <EntityName>Main &lt;Rd&gt;</EntityName>\r\n"
                                  "        <Station>1250.5</Station>\r\n"
                                  "        <EquatedRoadStation datatype=\"StationEquation\">\r\n"
                                  "            <Chainage>250.5</Chainage>\r\n"
                                  "            <Zone>-2</Zone>\r\n"
                                  "        </EquatedRoadStation>\r\n"
                                  "        <Offset>-3.5</Offset>\r\n"
                                  "        <VDist/>\r\n"
                                  "        <Code/>\r\n"
                                  "    </DATABASE_StationOffsetRecord>\r\n");
}

// ---- Through the journal ------------------------------------------------------

class ObservationJournal : public ::testing::Test {
protected:
    TempDir dir;
    RecordingEnvironment env;
    Str path = Str(dir.File("points.job").c_str());
    JobFileWriter writer;
    dbAccess job;

    void SetUp() override { ASSERT_TRUE(writer.Create(path)); }

    // Closes the writer, opens the job and writes the record `id`.
    std::string DocumentOf(db_DBIDValue id) {
        EXPECT_TRUE(writer.Close());
        EXPECT_TRUE(job.Open(path, false));
        const dbRecord_Class* record = job.GetRecord(id);
        return record ? RecordText(*record) : std::string();
    }
};

TEST_F(ObservationJournal, ReplaceKeepsIdentifierFeaturesAndMeasurement) {
    db_Observation point = NamedPoint("OLD");
    point.TimeStamp = 5;
    point.Features = {Feature{"FENCE", "Fence", {}}};
    ASSERT_EQ(writer.Add(point), 1u);
    auto circle = Stamped<db_Circle>(0, 6);
    circle.Station = 9;
    ASSERT_EQ(writer.Attach(1, circle), 2u);

    db_Observation newer = NamedPoint("NEW");
    newer.TimeStamp = 7;
    newer.Derivation = 0x4B4D;
    newer.Classification = 4;
    newer.Descriptions = {"replaced", ""};
    newer.Features = {Feature{"GATE", "Gate", {}}};
    newer.Note = "edited";
    writer.Replace(1, newer);

    const std::string text = DocumentOf(1);
    EXPECT_TRUE(Contains(
        text, "    <DATABASE_ObservationRecord rec=\"db_Observation\" "
              "ID=\"0x00000001\" type=\"002\" TimeStamp=\"7\">\r\n"
              "        <PointName>NEW</PointName>\r\n"
              "        <Derivation>MK</Derivation>\r\n"
              "        <Method>DBENTITY_Unknown</Method>\r\n"
              "        <SurveyMethod>DBENTITY_KeyedIn</SurveyMethod>\r\n"
              "        <Classification>Normal</Classification>\r\n"
              "        <Deleted>false</Deleted>\r\n"
              "        <Descriptions>\r\n"
              "            <Description1>replaced</Description1>\r\n"
              "            <Description2/>\r\n"
              "        </Descriptions>\r\n"
              "        <DATABASE_FeaturesRecord rec=\"FeatureArray\" FeatureCount=\"1\">\r\n"
              "            <Feature Name=\"Fence\" StringCode=\"FENCE\" "
              "AttributeCount=\"0\"/>\r\n"
              "        </DATABASE_FeaturesRecord>\r\n"
              "\r\n"
              "        <DATABASE_CircleRecord rec=\"db_Circle\" ID=\"0x00000002\" "
              "type=\"016\" TimeStamp=\"6\">\r\n"))
        << text;
    EXPECT_TRUE(Contains(text, "            <Station>0x00000009</Station>\r\n"));
    EXPECT_TRUE(Contains(text, "        </DATABASE_CircleRecord>\r\n"
                               "        <Note>edited</Note>\r\n"
                               "    </DATABASE_ObservationRecord>\r\n"));
    EXPECT_TRUE(env.assertions.empty());
}

TEST_F(ObservationJournal, ModifiersSetDeletedRenameAndReachTheMeasurement) {
    db_Observation point = NamedPoint("P1");
    writer.Add(point); // 1
    auto circle = Stamped<db_Circle>(0, 0);
    writer.Attach(1, circle); // 2
    db_Observation second = NamedPoint("P2");
    writer.Add(second); // 3
    auto ecef = Stamped<db_ECEF>(0, 0);
    writer.Attach(3, ecef); // 4

    db_BoolAction remove, restore, other;
    remove.Value = 0;
    restore.Value = 1;
    other.Value = 2;
    writer.Attach(1, remove);
    writer.Attach(1, other); // changes nothing: still deleted
    writer.Attach(3, remove);
    writer.Attach(3, restore);
    db_Str name;
    name.Value = "RENAMED";
    writer.Attach(1, name);
    db_DBID reference;
    reference.Value = 0x44;
    writer.Attach(1, reference); // the circle's target
    reference.Value = 0x55;
    writer.Attach(3, reference); // the ECEF position's antenna

    const std::string first = DocumentOf(1);
    EXPECT_TRUE(Contains(first, "        <PointName>RENAMED</PointName>\r\n"));
    EXPECT_TRUE(Contains(first, "        <Deleted>true</Deleted>\r\n"));
    EXPECT_TRUE(Contains(first, "            <Target>0x00000044</Target>\r\n"));
    const dbRecord_Class* record = job.GetRecord(3);
    ASSERT_NE(record, nullptr);
    const std::string other3 = RecordText(*record);
    EXPECT_TRUE(Contains(other3, "        <PointName>P2</PointName>\r\n"));
    EXPECT_TRUE(Contains(other3, "        <Deleted>false</Deleted>\r\n"));
    EXPECT_TRUE(Contains(other3, "            </ECEF>\r\n"
                                 "            <Antenna>0x00000055</Antenna>\r\n"));
    EXPECT_TRUE(env.assertions.empty());
}

} // namespace
} // namespace tqxml
