// Whole documents for small jobs, byte for byte. Each job is written with the
// journal's own writer and converted through the export; the expected text is
// spelled out line by line (every line ends with CR LF).
#include "e2e_support.h"

#include "records/job_level.h"
#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <string>

namespace tqxml {
namespace {

// Seconds since 1980 of a few moments on one survey day.
constexpr double kMorning = 1325376000.25;
constexpr double kNoon = 1325390400;
constexpr double kEvening = 1325404800.5;

class GoldenDocument : public ::testing::Test {
protected:
    TempDir dir;
    std::string job = dir.File("survey.job");
    std::string xml = dir.File("survey.xml");

    // Converts the job and returns the document; the status must be 0.
    std::string Convert() {
        const unsigned status = CreateTQXMLFile(job.c_str(), xml.c_str(), nullptr);
        EXPECT_EQ(status, 0u);
        return ReadText(xml);
    }

    std::string Start() const { return DocumentStart(job); }

    template <class R> static R Stamped(double timeStamp, const char* note = "") {
        R record;
        record.TimeStamp = timeStamp;
        record.Note = note;
        return record;
    }
};

TEST_F(GoldenDocument, NoteOfThreeLinesEndedByABreak) {
    auto note = Stamped<db_Note>(kMorning, "Setup at the north gate\r\n\r\nBenchmark found\r\n");
    WriteJobOf(job, {&note});

    // The document's frame in full; the other documents share its first four lines.
    EXPECT_EQ(
        Convert(),
        CrLfLines({
            R"(<?xml version="1.0" encoding="UTF-8"?>)",
            "",
            R"(<JOBFile jobFilename=")" + job + R"(" version="1220" increment="36">)",
            "",
            "",
            R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000001" type="001" TimeStamp="1325376000.25">)",
            R"(        <Note>Setup at the north gate</Note>)",
            R"(        <Note/>)",
            R"(        <Note>Benchmark found</Note>)",
            R"(    </DATABASE_NoteRecord>)",
            R"(</JOBFile>)",
        }));
}

TEST_F(GoldenDocument, EveryKindOfLineBreakSplitsANote) {
    auto lfCr = Stamped<db_Note>(kMorning, "north\n\rsouth\n\r");
    auto crLf = Stamped<db_Note>(kNoon, "north\r\nsouth\r\n");
    auto single = Stamped<db_Note>(kEvening, "up\ndown\rleft\n\nright");
    WriteJobOf(job, {&lfCr, &crLf, &single});

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000001" type="001" TimeStamp="1325376000.25">)",
                R"(        <Note>north</Note>)",
                R"(        <Note>south</Note>)",
                R"(    </DATABASE_NoteRecord>)",
                "",
                R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000002" type="001" TimeStamp="1325390400">)",
                R"(        <Note>north</Note>)",
                R"(        <Note>south</Note>)",
                R"(    </DATABASE_NoteRecord>)",
                "",
                R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000003" type="001" TimeStamp="1325404800.5">)",
                R"(        <Note>up</Note>)",
                R"(        <Note>down</Note>)",
                R"(        <Note>left</Note>)",
                R"(        <Note/>)",
                R"(        <Note>right</Note>)",
                R"(    </DATABASE_NoteRecord>)",
                R"(</JOBFile>)",
            }));
}

TEST_F(GoldenDocument, NoteLinesAreEncodedAndTrimmed) {
    // A line of spaces is text all the same: it gives an open and a close
    // tag with nothing between them, not an empty element.
    auto note = Stamped<db_Note>(kMorning, "  pegs & <flags>  \r\n   \r\n\t\"old\" 'mark'");
    WriteJobOf(job, {&note});

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000001" type="001" TimeStamp="1325376000.25">)",
                R"(        <Note>pegs &amp; &lt;flags&gt;</Note>)",
                R"(        <Note></Note>)",
                R"(        <Note>&#x009;&quot;old&quot; &apos;mark&apos;</Note>)",
                R"(    </DATABASE_NoteRecord>)",
                R"(</JOBFile>)",
            }));
}

TEST_F(GoldenDocument, RecordWithoutFieldsIsOneTagUnlessItHasANote) {
    auto bare = Stamped<db_EndEntity>(kMorning);
    auto noted = Stamped<db_StartRounds>(kNoon, "three rounds");
    WriteJobOf(job, {&bare, &noted});

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_EndEntityRecord rec="db_EndEntity" ID="0x00000001" type="026" TimeStamp="1325376000.25"/>)",
                "",
                R"(    <DATABASE_StartRoundsRecord rec="db_StartRounds" ID="0x00000002" type="118" TimeStamp="1325390400">)",
                R"(        <Note>three rounds</Note>)",
                R"(    </DATABASE_StartRoundsRecord>)",
                R"(</JOBFile>)",
            }));
}

TEST_F(GoldenDocument, AttachedNoteBecomesTheTargetsNoteLines) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    auto target = Stamped<db_EndEntity>(kMorning);
    auto note = Stamped<db_Note>(kNoon, "checked\r\nby hand");
    auto after = Stamped<db_StartRounds>(kEvening);
    writer.Add(target);
    writer.Attach(1, note); // takes identifier 2, which no record keeps
    writer.Add(after);
    ASSERT_TRUE(writer.Close());

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_EndEntityRecord rec="db_EndEntity" ID="0x00000001" type="026" TimeStamp="1325376000.25">)",
                R"(        <Note>checked</Note>)",
                R"(        <Note>by hand</Note>)",
                R"(    </DATABASE_EndEntityRecord>)",
                "",
                R"(    <DATABASE_StartRoundsRecord rec="db_StartRounds" ID="0x00000003" type="118" TimeStamp="1325404800.5"/>)",
                R"(</JOBFile>)",
            }));
}

TEST_F(GoldenDocument, InsertInFrontOfTheFirstRecordComesFirst) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    auto first = Stamped<db_EndEntity>(kMorning);
    auto second = Stamped<db_StartRounds>(kNoon);
    auto inserted = Stamped<db_Note>(kEvening, "inserted");
    writer.Add(first);
    writer.Add(second);
    writer.Insert(1, inserted);
    ASSERT_TRUE(writer.Close());

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000003" type="001" TimeStamp="1325404800.5">)",
                R"(        <Note>inserted</Note>)",
                R"(    </DATABASE_NoteRecord>)",
                "",
                R"(    <DATABASE_EndEntityRecord rec="db_EndEntity" ID="0x00000001" type="026" TimeStamp="1325376000.25"/>)",
                "",
                R"(    <DATABASE_StartRoundsRecord rec="db_StartRounds" ID="0x00000002" type="118" TimeStamp="1325390400"/>)",
                R"(</JOBFile>)",
            }));
}

TEST_F(GoldenDocument, ReplaceKeepsPositionIdentifierAndTimeStamp) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    auto first = Stamped<db_EndEntity>(kMorning, "first version");
    auto second = Stamped<db_StartRounds>(kNoon);
    auto replacement = Stamped<db_EndEntity>(kEvening, "second version");
    writer.Add(first);
    writer.Add(second);
    writer.Replace(1, replacement);
    ASSERT_TRUE(writer.Close());

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_EndEntityRecord rec="db_EndEntity" ID="0x00000001" type="026" TimeStamp="1325376000.25">)",
                R"(        <Note>second version</Note>)",
                R"(    </DATABASE_EndEntityRecord>)",
                "",
                R"(    <DATABASE_StartRoundsRecord rec="db_StartRounds" ID="0x00000002" type="118" TimeStamp="1325390400"/>)",
                R"(</JOBFile>)",
            }));
}

TEST_F(GoldenDocument, DeletedRecordIsLeftOut) {
    // A note cannot be deleted: the journal has no delete for notes, and the
    // entry changes nothing.
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    auto first = Stamped<db_EndEntity>(kMorning);
    auto second = Stamped<db_StartRounds>(kNoon, "to be removed");
    auto third = Stamped<db_Note>(kEvening, "stays");
    writer.Add(first);
    writer.Add(second);
    writer.Add(third);
    writer.Delete(2, second);
    writer.Delete(3, third);
    ASSERT_TRUE(writer.Close());

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_EndEntityRecord rec="db_EndEntity" ID="0x00000001" type="026" TimeStamp="1325376000.25"/>)",
                "",
                R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000003" type="001" TimeStamp="1325404800.5">)",
                R"(        <Note>stays</Note>)",
                R"(    </DATABASE_NoteRecord>)",
                R"(</JOBFile>)",
            }));
}

TEST_F(GoldenDocument, TypeWithoutAWriterIsUnknownWithTheDriversAttributes) {
    // Neither the foreign record's name nor its data reach the document.
    auto plain = Stamped<db_Foreign>(kMorning);
    plain.Name = "vendor block";
    plain.Data = {1, 2, 3, 0, 0xFF};
    auto noted = Stamped<db_Foreign>(kNoon, "kept for the office");
    WriteJobOf(job, {&plain, &noted});

    EXPECT_EQ(Convert(),
              Start() +
                  CrLfLines({
                      "",
                      R"(    <unknown ID="0x00000001" type="133" TimeStamp="1325376000.25"/>)",
                      "",
                      R"(    <unknown ID="0x00000002" type="133" TimeStamp="1325390400">)",
                      R"(        <Note>kept for the office</Note>)",
                      R"(    </unknown>)",
                      R"(</JOBFile>)",
                  }));
}

TEST_F(GoldenDocument, TimeStampWithoutAValueIsEmpty) {
    auto note = Stamped<db_Note>(1e308, "no clock");
    auto marker = Stamped<db_EndEntity>(0);
    WriteJobOf(job, {&note, &marker});

    EXPECT_EQ(
        Convert(),
        Start() +
            CrLfLines({
                "",
                R"(    <DATABASE_NoteRecord rec="db_Note" ID="0x00000001" type="001" TimeStamp="">)",
                R"(        <Note>no clock</Note>)",
                R"(    </DATABASE_NoteRecord>)",
                "",
                R"(    <DATABASE_EndEntityRecord rec="db_EndEntity" ID="0x00000002" type="026" TimeStamp="0"/>)",
                R"(</JOBFile>)",
            }));
}

} // namespace
} // namespace tqxml
