// The job-level records in the document: the job header's own text, notes,
// markers, properties, units, time zone and background file slots, each
// element text byte for byte as the walk writes it.
#include "convert/driver.h"
#include "records/job_level.h"
#include "support/record_text.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <string>

namespace tqxml {
namespace {

std::string RecordText(const dbRecord_Class& record) {
    return RecordElementText(record);
}

template <class R> R Stamped(db_DBIDValue id, double timeStamp) {
    R record;
    record.RecordId = id;
    record.TimeStamp = timeStamp;
    return record;
}

// A record read from its common header (RecordId 1, time stamp 0, no note)
// followed by `own`.
template <class R> R ReadWithOwnBytes(const buffer_Writer& own) {
    buffer_Writer bytes;
    bytes.PutUInt16(R::kType);
    bytes.PutUInt32(1);
    bytes.PutDouble(0);
    bytes.PutString("");
    if (own.Length() > 0) bytes.PutBytes(own.Data(), own.Length());
    buffer_Class buffer(bytes.Length(), ENDIAN_Little, bytes.Data());
    R record;
    int32_t offset = 0;
    record.Read(buffer, offset);
    EXPECT_EQ(offset, bytes.Length());
    return record;
}

TEST(JobHeaderRecord, TheHeaderTextIsTheElementsOwnText) {
    RecordingEnvironment env;
    auto header = Stamped<db_JobHeader>(1, 0);
    header.HeaderText = "123456789012345678901234567890123"; // all 33 bytes
    EXPECT_EQ(RecordText(header), "\r\n"
                                  "    <DATABASE_JobHeaderRecord rec=\"db_JobHeader\" "
                                  "ID=\"0x00000001\" type=\"000\" TimeStamp=\"0\">\r\n"
                                  "        123456789012345678901234567890123\r\n"
                                  "    </DATABASE_JobHeaderRecord>\r\n");

    // Stored in exactly 33 bytes, zero-padded; read back up to the first zero.
    header.HeaderText = " <Job & Co> ";
    buffer_Writer stored;
    header.Write(stored);
    EXPECT_EQ(stored.Length(), 2 + 4 + 8 + 1 + 33);
    buffer_Class buffer(stored.Length(), ENDIAN_Little, stored.Data());
    db_JobHeader back;
    int32_t offset = 0;
    back.Read(buffer, offset);
    EXPECT_EQ(back.HeaderText, " <Job & Co> ");
    EXPECT_EQ(RecordText(back), "\r\n"
                                "    <DATABASE_JobHeaderRecord rec=\"db_JobHeader\" "
                                "ID=\"0x00000001\" type=\"000\" TimeStamp=\"0\">\r\n"
                                "        &lt;Job &amp; Co&gt;\r\n"
                                "    </DATABASE_JobHeaderRecord>\r\n");

    // No text: one self-closing tag.
    EXPECT_EQ(RecordText(Stamped<db_JobHeader>(2, 1.5)),
              "\r\n    <DATABASE_JobHeaderRecord rec=\"db_JobHeader\" ID=\"0x00000002\" "
              "type=\"000\" TimeStamp=\"1.5\"/>\r\n");
    EXPECT_TRUE(env.assertions.empty());
}

TEST(MarkerRecords, AreEmptyElementsNamingTheirClass) {
    RecordingEnvironment env;
    const auto tag = [](const char* element, const char* rec, const char* type) {
        return std::string("\r\n    <") + element + " rec=\"" + rec +
               "\" ID=\"0x0000000a\" type=\"" + type + "\" TimeStamp=\"2\"/>\r\n";
    };
    EXPECT_EQ(RecordText(Stamped<db_EndEntity>(10, 2)),
              tag("DATABASE_EndEntityRecord", "db_EndEntity", "026"));
    EXPECT_EQ(RecordText(Stamped<db_MeanTurnedAngleResidualsBegin>(10, 2)),
              tag("DATABASE_MeanTurnedAngleResidualsBeginRecord",
                  "db_MeanTurnedAngleResidualsBegin", "020"));
    EXPECT_EQ(RecordText(Stamped<db_Continuous>(10, 2)),
              tag("DATABASE_ContinuousRecord", "db_Continuous", "064"));
    EXPECT_EQ(RecordText(Stamped<db_EndContinuous>(10, 2)),
              tag("DATABASE_EndContinuousRecord", "db_EndContinuous", "071"));
    EXPECT_EQ(RecordText(Stamped<db_EndSurveyStyle>(10, 2)),
              tag("DATABASE_EndStyleRecord", "db_EndSurveyStyle", "072"));
    EXPECT_EQ(RecordText(Stamped<db_CalibBegin>(10, 2)),
              tag("DATABASE_CalibBeginRecord", "db_CalibBegin", "073"));
    EXPECT_EQ(
        RecordText(Stamped<db_StationSetupResidualsBegin>(10, 2)),
        tag("DATABASE_StationSetupResidualsBeginRecord", "db_StationSetupResidualsBegin", "107"));
    EXPECT_EQ(RecordText(Stamped<db_StartRounds>(10, 2)),
              tag("DATABASE_StartRoundsRecord", "db_StartRounds", "118"));
    EXPECT_EQ(RecordText(Stamped<db_EndRound>(10, 2)),
              tag("DATABASE_EndRoundRecord", "db_EndRound", "120"));
    EXPECT_EQ(RecordText(Stamped<db_EndRounds>(10, 2)),
              tag("DATABASE_EndRoundsRecord", "db_EndRounds", "121"));
    EXPECT_EQ(RecordText(Stamped<db_Note>(10, 2)), tag("DATABASE_NoteRecord", "db_Note", "001"));

    // A marker stores nothing after the common header.
    buffer_Writer stored;
    Stamped<db_EndRounds>(10, 2).Write(stored);
    EXPECT_EQ(stored.Length(), 15);
    EXPECT_TRUE(env.assertions.empty());
}

TEST(MarkerRecords, StartRoundWritesItsRoundUnsigned) {
    auto round = Stamped<db_StartRound>(3, 0);
    round.Round = 65535;
    EXPECT_EQ(RecordText(round), "\r\n"
                                 "    <DATABASE_StartRoundRecord rec=\"db_StartRound\" "
                                 "ID=\"0x00000003\" type=\"119\" TimeStamp=\"0\">\r\n"
                                 "        <Round>65535</Round>\r\n"
                                 "    </DATABASE_StartRoundRecord>\r\n");
    buffer_Writer stored;
    round.Write(stored);
    EXPECT_EQ(stored.Length(), 15 + 2);
}

TEST(NoteRecord, ItsLinesFollowAsNoteChildren) {
    auto note = Stamped<db_Note>(4, 0);
    note.Note = "first line\r\n\r\n  second <line>  \r\n";
    EXPECT_EQ(RecordText(note), "\r\n"
                                "    <DATABASE_NoteRecord rec=\"db_Note\" ID=\"0x00000004\" "
                                "type=\"001\" TimeStamp=\"0\">\r\n"
                                "        <Note>first line</Note>\r\n"
                                "        <Note/>\r\n"
                                "        <Note>second &lt;line&gt;</Note>\r\n"
                                "    </DATABASE_NoteRecord>\r\n");
}

TEST(JobPropertiesRecord, WritesItsFourTextsEncoded) {
    auto properties = Stamped<db_JobProperties>(5, 12.25);
    properties.Reference = "  REF-1  ";
    properties.Description = "Survey \"North\" & 'South'";
    properties.Operator = "";
    properties.Notes = "a\tb";
    EXPECT_EQ(
        RecordText(properties),
        "\r\n"
        "    <DATABASE_JobPropertiesRecord rec=\"db_JobProperties\" ID=\"0x00000005\" "
        "type=\"116\" TimeStamp=\"12.25\">\r\n"
        "        <Reference>REF-1</Reference>\r\n"
        "        <Description>Survey &quot;North&quot; &amp; &apos;South&apos;</Description>\r\n"
        "        <Operator/>\r\n"
        "        <Notes>a&#x009;b</Notes>\r\n"
        "    </DATABASE_JobPropertiesRecord>\r\n");
}

TEST(UnitsRecord, WritesNineteenNamesAndLeavesUnnamedValuesEmpty) {
    RecordingEnvironment env;
    auto units = Stamped<db_Units>(6, 0);
    units.VerticalUnits = 0;
    units.HorizontalUnits = 6;
    units.AngleUnits = 15;
    units.LatLongUnits = 14;
    units.VelocityUnits = 20;
    units.CoordOrder = 1;
    units.TemperatureUnits = 28;
    units.PressureUnits = 47; // one past the table
    units.CoordType = 4;
    units.Grade = 26;
    units.AreaUnits = -1;
    units.Stationing = 3;
    units.LaserVA = 1;
    units.GPSTimeDisplay = 1;
    units.DMSAngleDisplay = 2;
    units.DecAngleDisplay = 2;
    units.DistanceDisplay = 2;
    units.CoordinateDisplay = 2;
    units.AzimuthFormat = 1;
    EXPECT_EQ(RecordText(units),
              "\r\n"
              "    <DATABASE_UnitsRecord rec=\"db_Units\" ID=\"0x00000006\" type=\"046\" "
              "TimeStamp=\"0\">\r\n"
              "        <VerticalUnits>UNITS_Meters</VerticalUnits>\r\n"
              "        <HorizontalUnits>UNITS_USFoot</HorizontalUnits>\r\n"
              "        <AngleUnits>UNITS_Degrees</AngleUnits>\r\n"
              "        <LatLongUnits>UNITS_Ddmmss</LatLongUnits>\r\n"
              "        <VelocityUnits>UNITS_MeterPerSecond</VelocityUnits>\r\n"
              "        <CoordOrder>DBCONFIG_ENElev</CoordOrder>\r\n"
              "        <TemperatureUnits>UNITS_Celcius</TemperatureUnits>\r\n"
              "        <PressureUnits/>\r\n"
              "        <CoordType>COORD_GridType</CoordType>\r\n"
              "        <Grade>UNITS_Percentage</Grade>\r\n"
              "        <AreaUnits/>\r\n"
              "        <Stationing>DBCONFIG_StationingNULL</Stationing>\r\n"
              "        <LaserVA>DBCONFIG_Inclination</LaserVA>\r\n"
              "        <GPSTimeDisplay>DBCONFIG_GPSWeekSeconds</GPSTimeDisplay>\r\n"
              "        <DMSAngleDisplay>DBCONFIG_DMSAngleNULL</DMSAngleDisplay>\r\n"
              "        <DecAngleDisplay>DBCONFIG_DecAngleDisplay000001</DecAngleDisplay>\r\n"
              "        <DistanceDisplay>DBCONFIG_DistanceDisplay0001</DistanceDisplay>\r\n"
              "        <CoordinateDisplay>DBCONFIG_DistanceDisplay0001</CoordinateDisplay>\r\n"
              "        <AzimuthFormat>DBCONFIG_AzimuthFormatQuadrantBearing</AzimuthFormat>\r\n"
              "    </DATABASE_UnitsRecord>\r\n");
    EXPECT_EQ(env.assertions,
              (std::vector<std::string>{"!\"improper units_Type\"", "!\"improper units_Type\""}));

    // Nineteen i16 fields after the header.
    buffer_Writer stored;
    units.Write(stored);
    EXPECT_EQ(stored.Length(), 15 + 19 * 2);
}

TEST(TimeZoneRecord, WritesItsNameAndOffset) {
    auto zone = Stamped<db_TimeZone>(7, 0);
    zone.TimeZoneName = "Eastern <Standard>";
    zone.HoursToUTC = -5.5;
    EXPECT_EQ(RecordText(zone), "\r\n"
                                "    <DATABASE_TimeZoneRecord rec=\"db_TimeZone\" "
                                "ID=\"0x00000007\" type=\"134\" TimeStamp=\"0\">\r\n"
                                "        <TimeZoneName>Eastern &lt;Standard&gt;</TimeZoneName>\r\n"
                                "        <HoursToUTC>-5.5</HoursToUTC>\r\n"
                                "    </DATABASE_TimeZoneRecord>\r\n");
    zone.TimeZoneName = "";
    zone.HoursToUTC = 8;
    EXPECT_NE(RecordText(zone).find("<TimeZoneName/>\r\n        <HoursToUTC>8</HoursToUTC>"),
              std::string::npos);
    zone.HoursToUTC = 1e308; // no value
    EXPECT_NE(RecordText(zone).find("<HoursToUTC/>"), std::string::npos);
}

TEST(BackgroundFileListRecord, WritesTheFilledSlotsInRisingOrder) {
    RecordingEnvironment env;
    auto list = Stamped<db_BackgroundFileList>(8, 0);
    list.FilenameCount = 2;
    list.Filenames[7] = "ortho <7>.tif";
    list.Filenames[3] = " site.dxf ";
    const std::string expected = "\r\n"
                                 "    <DATABASE_BackgroundFileListRecord "
                                 "rec=\"db_BackgroundFileList\" ID=\"0x00000008\" type=\"115\" "
                                 "TimeStamp=\"0\">\r\n"
                                 "        <FilenameCount>2</FilenameCount>\r\n"
                                 "        <Filenames>\r\n"
                                 "            <item index=\"3\">site.dxf</item>\r\n"
                                 "            <item index=\"7\">ortho &lt;7&gt;.tif</item>\r\n"
                                 "        </Filenames>\r\n"
                                 "    </DATABASE_BackgroundFileListRecord>\r\n";
    EXPECT_EQ(RecordText(list), expected);

    // Stored as the count, then (slot, name) in rising slot order.
    buffer_Writer stored;
    list.Write(stored);
    buffer_Writer own;
    own.PutInt32(2);
    own.PutInt32(3);
    own.PutString(" site.dxf ");
    own.PutInt32(7);
    own.PutString("ortho <7>.tif");
    ASSERT_EQ(stored.Length(), 15 + own.Length());
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(stored.Data()) + 15,
                    static_cast<size_t>(own.Length())),
        std::string(reinterpret_cast<const char*>(own.Data()), static_cast<size_t>(own.Length())));
    EXPECT_TRUE(env.assertions.empty());

    // A new list: the count and an empty Filenames element.
    EXPECT_EQ(RecordText(Stamped<db_BackgroundFileList>(8, 0)),
              "\r\n"
              "    <DATABASE_BackgroundFileListRecord rec=\"db_BackgroundFileList\" "
              "ID=\"0x00000008\" type=\"115\" TimeStamp=\"0\">\r\n"
              "        <FilenameCount>0</FilenameCount>\r\n"
              "        <Filenames/>\r\n"
              "    </DATABASE_BackgroundFileListRecord>\r\n");
}

TEST(BackgroundFileListRecord, ReadingSkipsSlotsItCannotHoldAndStopsAtTheEnd) {
    RecordingEnvironment env;
    buffer_Writer own;
    own.PutInt32(5);
    own.PutInt32(7);
    own.PutString("first");
    own.PutInt32(256); // no such slot
    own.PutString("lost");
    own.PutInt32(-1);
    own.PutString("lost too");
    own.PutInt32(2);
    own.PutString("two");
    own.PutInt32(7);
    own.PutString("second"); // replaces the first name of slot 7
    auto list = ReadWithOwnBytes<db_BackgroundFileList>(own);
    EXPECT_EQ(list.FilenameCount, 5);
    ASSERT_EQ(list.Filenames.size(), 2u);
    EXPECT_EQ(list.Filenames[2], "two");
    EXPECT_EQ(list.Filenames[7], "second");
    EXPECT_EQ(env.assertions.size(), 2u);

    // The count is written as stored; the write notices that it disagrees.
    const std::string text = RecordText(list);
    EXPECT_NE(text.find("<FilenameCount>5</FilenameCount>\r\n"
                        "        <Filenames>\r\n"
                        "            <item index=\"2\">two</item>\r\n"
                        "            <item index=\"7\">second</item>\r\n"),
              std::string::npos);
    buffer_Writer stored;
    list.Write(stored);
    EXPECT_TRUE(env.HasAssertion("fileCount == 0"));

    // A hostile count ends with the data, keeping what was read.
    buffer_Writer hostile;
    hostile.PutInt32(0x7FFFFFFF);
    hostile.PutInt32(1);
    hostile.PutString("one");
    list = ReadWithOwnBytes<db_BackgroundFileList>(hostile);
    EXPECT_EQ(list.FilenameCount, 0x7FFFFFFF);
    ASSERT_EQ(list.Filenames.size(), 1u);
    EXPECT_EQ(list.Filenames[1], "one");
    EXPECT_NE(RecordText(list).find("<FilenameCount>2147483647</FilenameCount>"),
              std::string::npos);
}

TEST(ForeignRecord, HasNoDocumentFormOfItsOwn) {
    auto foreign = Stamped<db_Foreign>(9, 0);
    foreign.Name = "vendor";
    foreign.Data = {1, 2, 3};
    EXPECT_FALSE(HasRecordWriter(DATABASE_ForeignRecord));
    EXPECT_EQ(RecordText(foreign), "\r\n    <unknown ID=\"0x00000009\" type=\"133\" "
                                   "TimeStamp=\"0\"/>\r\n");
}

} // namespace
} // namespace tqxml
