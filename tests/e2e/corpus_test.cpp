// Every file of the fuzzer's corpus (fuzz/corpus: the seeds and whatever the
// fuzzer kept) replayed through the conversion, so that the ordinary test
// run checks each one: it converts to a well-formed document with records,
// or it is refused without an output.
#include "e2e_support.h"

#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tqxml {
namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryFileConvertsOrIsRefused) {
    const fs::path corpus = fs::path(TQXML_SOURCE_DIR) / "fuzz" / "corpus";
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    EXPECT_GE(files.size(), 20u);

    TempDir dir;
    const std::string job = dir.File("replay.job");
    const std::string xml = dir.File("replay.xml");
    for (const fs::path& file : files) {
        WriteFileBytes(job, ReadFileBytes(file.string()));
        std::remove(xml.c_str());
        const unsigned status = CreateTQXMLFile(job.c_str(), xml.c_str(), nullptr);
        if (status == 4u) {
            EXPECT_FALSE(PathExists(xml)) << file.filename();
            continue;
        }
        ASSERT_EQ(status, 0u) << file.filename();
        const std::string document = ReadText(xml);
        EXPECT_TRUE(IsWellFormed(document)) << file.filename();
        EXPECT_FALSE(RecordBlocks(document).empty()) << file.filename();
    }
}

} // namespace
} // namespace tqxml
