// What the walk writes around any record's fields: the identifier, type and
// time stamp, the note as lines, the one-tag form, a type without a writer,
// and what becomes of a value outside its name table or a measurement of the
// wrong kind. Each type's own fields are the golden documents' part.
#include "convert/driver.h"
#include "records/job_level.h"
#include "records/observation.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tqxml {
namespace {

struct ElementCase {
    const char* name;
    std::function<std::unique_ptr<dbRecord_Class>()> make;
    std::vector<std::string> lines;      // the element from its start tag, each line ending CR LF
    std::vector<std::string> assertions; // what the write reports
    bool whole = true;                   // the lines are the whole element, not a part
};

// A record of class R, identifier 1, with a time stamp, a note and `fill`.
template <class R>
std::function<std::unique_ptr<dbRecord_Class>()> Make(
    double timeStamp, const char* note, std::function<void(R&)> fill = [](R&) {}) {
    return [=] {
        auto record = std::make_unique<R>();
        record->RecordId = 1;
        record->TimeStamp = timeStamp;
        record->Note = note;
        fill(*record);
        return record;
    };
}

constexpr double kStamp = 1325376000.25;

const ElementCase kCases[] = {
    // Every kind of line break ends a line, and a final one gives no empty
    // line; each line is encoded and trimmed, and a line of spaces is text
    // all the same: an open and a close tag.
    {"NoteIsWrittenLineByLine",
     Make<db_Note>(kStamp,
                   "  pegs & <flags>  \r\n\r\n   \n\rsouth\nup\rdown\n\n\t\"old\" 'mark'\r\n"),
     {R"(<DATABASE_NoteRecord rec="db_Note" ID="0x00000001" type="001" TimeStamp="1325376000.25">)",
      "    <Note>pegs &amp; &lt;flags&gt;</Note>", "    <Note/>", "    <Note></Note>",
      "    <Note>south</Note>", "    <Note>up</Note>", "    <Note>down</Note>", "    <Note/>",
      "    <Note>&#x009;&quot;old&quot; &apos;mark&apos;</Note>", "</DATABASE_NoteRecord>"},
     {}},
    // A time stamp without a value is empty.
    {"RecordWithoutFieldsIsOneTag",
     Make<db_EndRound>(1e308, ""),
     {R"(<DATABASE_EndRoundRecord rec="db_EndRound" ID="0x00000001" type="120" TimeStamp=""/>)"},
     {}},
    // Neither the foreign record's name nor its data reach the document.
    {"TypeWithoutAWriterIsUnknown",
     Make<db_Foreign>(kStamp, "kept for the office",
                      [](db_Foreign& r) {
                          r.Name = "vendor block";
                          r.Data = {1, 2, 3, 0, 0xFF};
                      }),
     {R"(<unknown ID="0x00000001" type="133" TimeStamp="1325376000.25">)",
      "    <Note>kept for the office</Note>", "</unknown>"},
     {}},
    // The job header's text is the element's own text, all 33 bytes of it.
    {"HeaderTextIsTheElementsText",
     Make<db_JobHeader>(
         0, "", [](db_JobHeader& r) { r.HeaderText = "123456789012345678901234567890<&>"; }),
     {R"(<DATABASE_JobHeaderRecord rec="db_JobHeader" ID="0x00000001" type="000" TimeStamp="0">)",
      "    123456789012345678901234567890&lt;&amp;&gt;", "</DATABASE_JobHeaderRecord>"},
     {}},
    // A value outside its name table is an empty element, and reported.
    {"ValuesWithoutANameAreEmpty",
     Make<db_Observation>(0, "",
                          [](db_Observation& r) {
                              r.PointName = "P";
                              r.Derivation = 0;
                              r.Method = 55;
                              r.SurveyMethod = -1;
                              r.Classification = 10;
                          }),
     {"    <PointName>P</PointName>", "    <Derivation/>", "    <Method/>", "    <SurveyMethod/>",
      "    <Classification/>"},
     {"!\"improper dbentity_PointMethod\"", "!\"improper dbentity_SurveyMethod\"",
      "!\"improper db_PointClassification\""},
     false},
    // Only a damaged job could hold a measurement of another kind; it is
    // left out. A point without a name is written, after its report.
    {"ForeignMeasurementIsLeftOut",
     Make<db_Observation>(0, "",
                          [](db_Observation& r) { r.Measurement = std::make_unique<db_Note>(); }),
     {"    <PointName/>", "    <Derivation></Derivation>", "    <Method>DBENTITY_Unknown</Method>",
      "    <SurveyMethod>DBENTITY_KeyedIn</SurveyMethod>",
      "    <Classification>None</Classification>", "    <Deleted>false</Deleted>",
      "    <Descriptions>", "        <Description1/>", "        <Description2/>",
      "    </Descriptions>",
      R"(    <DATABASE_FeaturesRecord rec="FeatureArray" FeatureCount="0"/>)",
      "</DATABASE_ObservationRecord>"},
     {"this->PointName.Length() > 0", "0"},
     false},
    // An attribute of a kind without a name keeps only its name; a number
    // without a value is empty.
    {"AttributeOfAnUnknownKind",
     Make<db_Observation>(0, "",
                          [](db_Observation& r) {
                              r.PointName = "T1";
                              r.Features = {Feature{"TREE", "Tree", {}}};
                              r.Features[0].Attributes = {
                                  {FEATURE_Numerical, "Girth", 1e308, "", 0},
                                  {9, "Odd", 7, "x", 2}};
                          }),
     {R"(    <DATABASE_FeaturesRecord rec="FeatureArray" FeatureCount="1">)",
      R"(        <Feature Name="Tree" StringCode="TREE" AttributeCount="2">)",
      R"(            <Attribute Name="Girth" Type="Numerical" Value=""/>)",
      R"(            <Attribute Name="Odd" Type=""/>)", "        </Feature>",
      "    </DATABASE_FeaturesRecord>"},
     {"False"},
     false},
};

class RecordElement : public ::testing::TestWithParam<ElementCase> {};

TEST_P(RecordElement, IsWrittenAsTheDocumentHasIt) {
    RecordingEnvironment env;
    const ElementCase& c = GetParam();
    // Lines at depth 1: four spaces in front of each given line.
    std::string expected;
    for (const std::string& line : c.lines)
        expected += "    " + line + "\r\n";
    Str out; // the element as the walk writes it, laid out as a record at depth 1
    StreamSink sink(out, nullptr);
    WriteRecord(sink, *c.make());
    const std::string text(out.View());
    if (c.whole) {
        EXPECT_EQ(text, "\r\n" + expected);
    } else {
        EXPECT_NE(text.find(expected), std::string::npos) << text;
    }
    EXPECT_EQ(env.assertions, c.assertions);
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordElement, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tqxml
