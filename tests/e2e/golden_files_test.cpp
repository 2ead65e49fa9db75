// The golden documents: every job in tests/golden converts through the export
// to exactly the document beside it (NAME.job -> NAME.xml). The jobs are data,
// written once with tqxml-genjob --golden; each document was checked line by
// line when it was added. To add a family: write its job, convert it from
// inside tests/golden (tqxml -o NAME.xml NAME.job), read the document against
// the record layouts, and commit both.
//
// The bundled sample job is what the sample writer makes now: when a record's
// stored form changes, the sample must be written again
// (build/tqxml-genjob --sample examples/sample.job), or the demo would show a
// job decoded with the wrong field list. (Its document validates in the
// schema tests.)
#include "e2e_support.h"
#include "generator.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tqxml {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = TQXML_SOURCE_DIR;
const fs::path kGoldenDir = kSourceDir / "tests" / "golden";

std::vector<std::string> GoldenJobs() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kGoldenDir, error))
        if (entry.path().extension() == ".job") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenFile : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenFile, ConvertsToTheDocumentBesideIt) {
    const CreateTQXMLFileFunction create = SharedExport();
    ASSERT_NE(create, nullptr);
    TempDir dir;
    const std::string xml = dir.File("out.xml");
    const std::string job = GetParam() + ".job";
    // Converted from inside the folder, so the document names the job as
    // the committed one does.
    const fs::path before = fs::current_path();
    fs::current_path(kGoldenDir);
    const unsigned status = create(job.c_str(), xml.c_str(), nullptr);
    fs::current_path(before);
    ASSERT_EQ(status, 0u);
    const std::string expected = ReadText((kGoldenDir / (GetParam() + ".xml")).string());
    ASSERT_FALSE(expected.empty()) << "no document beside " << job;
    EXPECT_TRUE(SameDocument(ReadText(xml), expected)) << job << " against " << GetParam() << ".xml";
}

INSTANTIATE_TEST_SUITE_P(Jobs, GoldenFile, ::testing::ValuesIn(GoldenJobs()),
                         [](const auto& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenFile);

TEST(SampleJob, IsWhatTheSampleWriterMakes) {
    const std::string bundled = (kSourceDir / "examples" / "sample.job").string();
    TempDir dir;
    const std::string fresh = dir.File("sample.job");
    ASSERT_TRUE(genjob::WriteSampleJob(Str(fresh.c_str())));
    EXPECT_TRUE(ReadText(bundled) == ReadText(fresh))
        << "examples/sample.job is stale: write it again with tqxml-genjob --sample";
}

} // namespace
} // namespace tqxml
