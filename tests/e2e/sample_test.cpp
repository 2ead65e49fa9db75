// The bundled sample job is what the sample writer makes now: when a record's
// stored form changes, the sample must be written again
// (build/tqxml-genjob --sample examples/sample.job), or the demo would show a
// job decoded with the wrong field list.
#include "generator.h"
#include "support/journal_damage.h"

#include <tqxml/tqxml.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tqxml {
namespace {

TEST(SampleJob, IsWhatTheSampleWriterMakes) {
    namespace fs = std::filesystem;
    const std::string bundled = fs::weakly_canonical(fs::path(__FILE__).parent_path() / ".." /
                                                     ".." / "examples" / "sample.job");
    TempDir dir;
    const std::string fresh = dir.File("sample.job");
    ASSERT_TRUE(genjob::WriteSampleJob(Str(fresh.c_str())));
    EXPECT_TRUE(ReadText(bundled) == ReadText(fresh))
        << "examples/sample.job is stale: write it again with tqxml-genjob --sample";

    const std::string xml = dir.File("sample.xml");
    EXPECT_EQ(CreateTQXMLFile(bundled.c_str(), xml.c_str(), nullptr), 0u);
    const std::string document = ReadText(xml);
    EXPECT_NE(document.find("<DATABASE_ObservationRecord rec=\"db_Observation\""),
              std::string::npos);
    EXPECT_NE(document.find("</JOBFile>\r\n"), std::string::npos);
}

} // namespace
} // namespace tqxml
