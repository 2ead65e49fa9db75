// Working on a second thread changes nothing that a caller can see: the
// document, the progress calls, the reports in their order, and what a stop
// at any record leaves in the file.
#include "convert/export.h"
#include "generator.h"
#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tqxml {
namespace {

std::vector<int> gPercents;
size_t gStopAt = 0; // the call that asks to stop; 0: none

unsigned char TQXML_CALL Progress(int percent) {
    gPercents.push_back(percent);
    return gStopAt == 0 || gPercents.size() < gStopAt;
}

struct Outcome {
    unsigned status;
    std::vector<int> percents;
    std::string document;
    std::vector<std::string> reports; // what the conversion reported, in order
};

Outcome Convert(const std::string& job, const std::string& xml, bool ahead, size_t stopAt) {
    gPercents.clear();
    gStopAt = stopAt;
    RecordingEnvironment env;
    ConversionOptions options;
    options.secondThread = ahead;
    const unsigned status = ConvertJobFile(job.c_str(), xml.c_str(), &Progress, options);
    std::vector<std::string> reports = env.logs;
    reports.insert(reports.end(), env.assertions.begin(), env.assertions.end());
    return {status, gPercents, ReadText(xml), reports};
}

TEST(SecondThread, SameDocumentProgressReportsAndStops) {
    TempDir dir;
    const std::string job = dir.File("generated.job");
    const std::string xml = dir.File("generated.xml");
    ASSERT_TRUE(genjob::WriteGeneratedJob(Str(job.c_str()), 4000, 11));
    const Outcome whole = Convert(job, xml, false, 0);
    ASSERT_EQ(whole.status, TQXML_Done);
    ASSERT_GT(whole.document.size(), 40u * 65536); // many flushes
    ASSERT_FALSE(whole.reports.empty());            // values out of their tables among them
    for (const size_t stopAt : {size_t{0}, size_t{1}, size_t{2}, size_t{77}, size_t{1500},
                                whole.percents.size() - 1, whole.percents.size()}) {
        SCOPED_TRACE(stopAt);
        const Outcome inline_ = Convert(job, xml, false, stopAt);
        const Outcome ahead = Convert(job, xml, true, stopAt);
        EXPECT_EQ(ahead.status, inline_.status);
        EXPECT_EQ(ahead.percents, inline_.percents);
        EXPECT_TRUE(SameDocument(ahead.document, inline_.document));
        EXPECT_EQ(ahead.reports, inline_.reports);
        EXPECT_EQ(inline_.status, stopAt == 0 ? TQXML_Done : TQXML_Stopped);
    }
}

} // namespace
} // namespace tqxml
