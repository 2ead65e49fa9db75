#include "records/names.h"

#include "support/recording_environment.h"

#include <gtest/gtest.h>

namespace tqxml {
namespace {

TEST(EnumName, NamesValuesAndReportsImproperOnes) {
    RecordingEnvironment log;
    // The ends of a table from 0 and of one from -1.
    EXPECT_EQ(EnumName(dbentity_ArcDirection, 0), "DBENTITY_RightHand");
    EXPECT_EQ(EnumName(dbentity_ArcDirection, 1), "DBENTITY_LeftHand");
    EXPECT_EQ(EnumName(db_PointClassification, -1), "None");
    EXPECT_EQ(EnumName(db_PointClassification, 9), "Control");
    EXPECT_TRUE(log.assertions.empty());

    EXPECT_EQ(EnumName(dbentity_ArcDirection, 2), "");
    EXPECT_EQ(EnumName(dbentity_ArcDirection, -1), "");
    EXPECT_EQ(EnumName(dbentity_ArcDirection, INT32_MIN), "");
    EXPECT_EQ(EnumName(db_PointClassification, -2), "");
    const std::string improper = "!\"improper dbentity_ArcDirection\"";
    EXPECT_EQ(log.assertions, (std::vector<std::string>{improper, improper, improper,
                                                   "!\"improper db_PointClassification\""}));
}

std::string FlagText(const FlagSet& set, uint32_t value) {
    Str text("[");
    AppendFlagSetText(text, set, value);
    return std::string(text.View());
}

TEST(FlagSets, NameSetBitsInRisingOrderAndIgnoreUnnamedOnes) {
    EXPECT_EQ(FlagText(coordsys_CogoSettings, 0x403),
              "[COORDSYS_CogoAzimuthWGS84 COORDSYS_CogoAzimuthLocal COORDSYS_CogoEllipsoidHeights");
    EXPECT_EQ(FlagText(coordsys_CogoSettings, 0x300), "[");
    EXPECT_EQ(FlagText(coordsys_CogoSettings, 0x80000800u), "[COORDSYS_CogoOrthoHeights");
}

TEST(TwoCharCode, StopsAtTheFirstZeroByte) {
    auto Code = [](int32_t value) {
        char chars[2];
        return std::string(TwoCharCode(value, chars));
    };
    EXPECT_EQ(Code(0x4241), "AB");
    EXPECT_EQ(Code(0x4200), "");
    EXPECT_EQ(Code(0x41), "A");
    EXPECT_EQ(Code(0x2020), "  ");
    EXPECT_EQ(Code(0x7F004241), "AB");
    EXPECT_EQ(Code(-1), "\xFF\xFF");
}

} // namespace
} // namespace tqxml
