#include "records/names.h"

#include "base/environment.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace tqxml {
namespace {

// Keeps the assertion texts reported while it is installed on this thread.
class AssertionLog : public Environment {
public:
    AssertionLog() : _Scope(this) {}
    void ReportAssertion(const char* expression, const char*, int) override {
        texts.emplace_back(expression);
    }
    std::vector<std::string> texts;

private:
    ScopedThreadEnvironment _Scope;
};

TEST(EnumName, NamesValuesAndReportsImproperOnes) {
    AssertionLog log;
    EXPECT_STREQ(EnumName(dbentity_ArcDirection, 0), "DBENTITY_RightHand");
    EXPECT_STREQ(EnumName(dbentity_ArcDirection, 1), "DBENTITY_LeftHand");
    EXPECT_TRUE(log.texts.empty());

    EXPECT_STREQ(EnumName(dbentity_ArcDirection, 2), "");
    EXPECT_STREQ(EnumName(dbentity_ArcDirection, -1), "");
    EXPECT_TRUE(EnumNameStr(dbentity_ArcDirection, INT32_MIN).IsEmpty());
    ASSERT_EQ(log.texts.size(), 3u);
    for (const std::string& text : log.texts) {
        EXPECT_EQ(text, "!\"improper dbentity_ArcDirection\"");
    }
    EXPECT_EQ(EnumNameStr(dbentity_ArcDirection, 1), "DBENTITY_LeftHand");
}

TEST(EnumName, EveryTableReportsItsOwnImproperText) {
    for (const NameTable* table : AllNameTables()) {
        AssertionLog log;
        const std::string expected = std::string("!\"improper ") + table->typeName + "\"";
        EXPECT_STREQ(EnumName(*table, table->firstValue - 1), "") << table->typeName;
        EXPECT_STREQ(EnumName(*table, table->firstValue + table->count), "") << table->typeName;
        EXPECT_STRNE(EnumName(*table, table->firstValue + table->count - 1), "");
        EXPECT_EQ(log.texts, std::vector<std::string>(2, expected)) << table->typeName;
    }
}

// The module prefix of a type name in upper case: "dbentity_ArcMethod" ->
// "DBENTITY_".
std::string ConstantPrefix(const char* typeName) {
    std::string prefix;
    for (const char* p = typeName; *p != '\0' && *p != '_'; ++p) {
        prefix += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    }
    return prefix + "_";
}

TEST(NameTables, AreWellFormed) {
    // Names that do not carry their type's module prefix.
    const std::set<std::string> unprefixed = {
        "TrueVertical", "OrionBottomNotch", "XSInterpolate_Elevation", "XSInterpolate_CrossSlope"};
    std::set<std::string> typeNames;
    int32_t totalNames = 0;
    for (const NameTable* table : AllNameTables()) {
        SCOPED_TRACE(table->typeName);
        EXPECT_TRUE(typeNames.insert(table->typeName).second);
        EXPECT_GT(table->count, 0);
        const bool isClassification = table == &db_PointClassification;
        EXPECT_EQ(table->firstValue, isClassification ? -1 : 0);
        const std::string prefix = ConstantPrefix(table->typeName);
        std::set<std::string> names;
        for (int32_t i = 0; i < table->count; ++i) {
            ASSERT_NE(table->names[i], nullptr);
            const std::string name = table->names[i];
            EXPECT_FALSE(name.empty());
            EXPECT_EQ(name.find_first_of(" \t\r\n"), std::string::npos) << name;
            EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
            if (!isClassification && unprefixed.count(name) == 0) {
                EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
            }
        }
        totalNames += table->count;
    }
    // 99 enumeration types with 629 names, and the point classification.
    EXPECT_EQ(AllNameTables().size(), 100u);
    EXPECT_EQ(totalNames, 629 + 11);
}

TEST(NameTables, LongTablesEndWhereExpected) {
    EXPECT_STREQ(EnumName(units_Type, 46), "UNITS_None");
    EXPECT_STREQ(EnumName(units_Type, 28), "UNITS_Celcius");
    EXPECT_STREQ(EnumName(dbentity_PointMethod, 54), "DBENTITY_ReflineSetup");
    EXPECT_STREQ(EnumName(dbentity_StakeOutMethod, 23), "DBENTITY_StationOnAlignment");
    EXPECT_STREQ(EnumName(coordsys_ProjectionType, 24), "COORDSYS_ProjectionGrid");
    EXPECT_STREQ(EnumName(coord_Type, 19), "COORD_AsStoredType");
    EXPECT_STREQ(EnumName(dbgps_RTKRecordType, 18), "DBGPS_RTCMNet");
    EXPECT_STREQ(EnumName(dblaser_LaserType, 14), "DBLASER_DistoPlus");
    EXPECT_STREQ(EnumName(rs232_Ports, 10), "RS232_NumberOfPorts");
    EXPECT_STREQ(EnumName(total_TargetHeightMethod, 0), "TrueVertical");
    EXPECT_STREQ(EnumName(coordsys_CrossSectionInterpolationMethod, 1), "XSInterpolate_CrossSlope");

    // The fixed names around the model rows filled in locally.
    EXPECT_EQ(dbgps_RadioType.count, 19);
    EXPECT_STREQ(EnumName(dbgps_RadioType, 3), "DBGPS_DeltaInternalRadio");
    EXPECT_STREQ(EnumName(dbgps_RadioType, 8), "DBGPS_InternetConnection");
    EXPECT_STREQ(EnumName(dbgps_RadioType, 12), "DBGPS_Clarion");
    EXPECT_STREQ(EnumName(dbgps_RadioType, 14), "DBGPS_MilitaryRadio");
    EXPECT_EQ(total_InstrumentType.count, 38);
    EXPECT_STREQ(EnumName(total_InstrumentType, 0), "TOTAL_Orion");
    EXPECT_STREQ(EnumName(total_InstrumentType, 8), "TOTAL_SETBasic");
    EXPECT_STREQ(EnumName(total_InstrumentType, 37), "TOTAL_Null");
}

TEST(PointClassification, NamesAndReadsBack) {
    EXPECT_STREQ(EnumName(db_PointClassification, -1), "None");
    EXPECT_STREQ(EnumName(db_PointClassification, 0), "Check");
    EXPECT_STREQ(EnumName(db_PointClassification, 9), "Control");
    for (int32_t value = -1; value <= 9; ++value) {
        EXPECT_EQ(TextToPointClassification(EnumName(db_PointClassification, value)), value);
    }
    EXPECT_EQ(TextToPointClassification("control"), NotAPointClassification);
    EXPECT_EQ(TextToPointClassification("Control "), NotAPointClassification);
    EXPECT_EQ(TextToPointClassification(""), NotAPointClassification);
    EXPECT_EQ(TextToPointClassification(nullptr), NotAPointClassification);

    AssertionLog log;
    EXPECT_STREQ(EnumName(db_PointClassification, 10), "");
    EXPECT_STREQ(EnumName(db_PointClassification, -2), "");
    EXPECT_EQ(log.texts.size(), 2u);
}

TEST(EnumValue, FindsExactNamesOnly) {
    EXPECT_EQ(EnumValue(coord_Face, "COORD_Face2"), 2);
    EXPECT_EQ(EnumValue(coord_Face, "COORD_FaceNull"), 0);
    EXPECT_EQ(EnumValue(coord_Face, "COORD_Face"), -1);
    EXPECT_EQ(EnumValue(coord_Face, "DBENTITY_LeftHand"), -1);
}

TEST(FlagSetText, NamesSetBitsInRisingOrder) {
    EXPECT_EQ(FlagSetText(coordsys_CogoSettings, 0x403),
              "COORDSYS_CogoAzimuthWGS84 COORDSYS_CogoAzimuthLocal COORDSYS_CogoEllipsoidHeights");
    EXPECT_EQ(FlagSetText(coordsys_CogoSettings, 0x300), "");
    EXPECT_EQ(FlagSetText(coordsys_CogoSettings, 0), "");
    EXPECT_EQ(FlagSetText(coordsys_CogoSettings, 0x80000800u), "COORDSYS_CogoOrthoHeights");

    EXPECT_EQ(FlagSetText(laser_Capabilities, 0xFFFFFFFFu),
              "DBLASER_HasFireCommand DBLASER_HasEDM DBLASER_HasCompass "
              "DBLASER_HasInclinometer DBLASER_SupportsSerial DBLASER_SupportsBluetooth");
    EXPECT_EQ(FlagSetText(coordsys_ItemsPresent, 0x88),
              "COORDSYS_DistancesPresent COORDSYS_CrossSectionInterpolationMethodPresent");
}

TEST(TwoCharCodeText, StopsAtTheFirstZeroByte) {
    EXPECT_EQ(TwoCharCodeText(0x4241), "AB");
    EXPECT_EQ(TwoCharCodeText(0x4200), "");
    EXPECT_EQ(TwoCharCodeText(0x41), "A");
    EXPECT_EQ(TwoCharCodeText(0), "");
    EXPECT_EQ(TwoCharCodeText(0x2020), "  ");
    EXPECT_EQ(TwoCharCodeText(0x7F004241), "AB");
    EXPECT_EQ(TwoCharCodeText(-1), "\xFF\xFF");
    EXPECT_EQ(TwoCharCodeText(0x4241).Length(), 2);
}

} // namespace
} // namespace tqxml
