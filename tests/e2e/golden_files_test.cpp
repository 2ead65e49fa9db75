// The golden documents: every job in tests/golden converts through the export
// to exactly the document beside it (NAME.job -> NAME.xml). The jobs are data,
// written once with tqxml-genjob --golden; each document was checked line by
// line when it was added. To add a family: write its job, convert it from
// inside tests/golden (tqxml -o NAME.xml NAME.job), read the document against
// the record layouts, and commit both.
#include "e2e_support.h"
#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tqxml {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(TQXML_SOURCE_DIR) / "tests" / "golden";

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
    ASSERT_TRUE(SharedLibrary::Get().IsLoaded()) << SharedLibrary::Get().Error();
    TempDir dir;
    const std::string xml = dir.File("out.xml");
    const std::string job = GetParam() + ".job";
    // Converted from inside the folder, so the document names the job as
    // the committed one does.
    const fs::path before = fs::current_path();
    fs::current_path(kGoldenDir);
    const unsigned status = SharedLibrary::Get().Export()(job.c_str(), xml.c_str(), nullptr);
    fs::current_path(before);
    ASSERT_EQ(status, 0u);
    const std::string expected = ReadText((kGoldenDir / (GetParam() + ".xml")).string());
    const std::string actual = ReadText(xml);
    ASSERT_FALSE(expected.empty()) << "no document beside " << job;
    EXPECT_TRUE(SameDocument(actual, expected)) << job << " against " << GetParam() << ".xml";
}

INSTANTIATE_TEST_SUITE_P(Jobs, GoldenFile, ::testing::ValuesIn(GoldenJobs()),
                         [](const auto& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenFile);

} // namespace
} // namespace tqxml
