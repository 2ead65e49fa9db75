// The export as a host sees it: the built shared library loaded at run time,
// CreateTQXMLFile found by name, its statuses, the files it leaves behind,
// the progress it reports and standard output.
#include "e2e_support.h"

#include "convert/export.h"
#include "records/job_level.h"
#include "support/child_process.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tqxml {
namespace {

namespace fs = std::filesystem;

// What the progress callback saw, and from which percentage on it asks to stop.
std::vector<int> gPercents;
int gStopFrom = 1000;

unsigned char TQXML_CALL RecordProgress(int percent) {
    gPercents.push_back(percent);
    return percent >= gStopFrom ? 0 : 1;
}

class Export : public JobFileTest {
protected:
    void SetUp() override {
        ASSERT_NE(create = SharedExport(), nullptr);
        gPercents.clear();
        gStopFrom = 1000;
    }

    // A job of `count` notes, each with one line of text.
    void WriteNotes(const std::string& path, int count, const std::string& text = "note") {
        JobFileWriter writer;
        ASSERT_TRUE(writer.Create(Str(path.c_str())));
        for (int i = 0; i < count; ++i) {
            db_Note note;
            note.TimeStamp = 1325376000 + i;
            note.Note = Str((text + " " + std::to_string(i)).c_str());
            writer.Add(note);
        }
        ASSERT_TRUE(writer.Close());
    }

    unsigned Run(const std::string& jobPath, const std::string& xmlPath,
                 TQXMLProgressCallback progress = nullptr) {
        return create(jobPath.c_str(), xmlPath.c_str(), progress);
    }

    // The export run in a child process from the test's directory, with
    // standard output on a pipe: its status and what reached the pipe.
    std::pair<int, std::string> RunInChild(const std::string& jobPath, const char* xmlPath) {
        const ChildRun run = RunChild([&] {
            if (::chdir(dir.Path().c_str()) != 0) ::_exit(99);
            ::_exit(static_cast<int>(create(jobPath.c_str(), xmlPath, nullptr)));
        });
        return {run.exitCode, run.out};
    }

    CreateTQXMLFileFunction create = nullptr;
};

// The whole document with status 0 (which one: the golden documents), also
// over a longer file an earlier run left, which a second call in the same
// process replaces by the same bytes.
TEST_F(Export, WritesTheWholeDocumentOverAnEarlierOne) {
    WriteNotes(job, 5);
    ASSERT_EQ(Run(job, xml, &RecordProgress), 0u);
    const std::string document = ReadText(xml);
    EXPECT_EQ(RecordBlocks(document).size(), 5u);

    WriteFileBytes(xml, std::vector<uint8_t>(document.size() * 3, '#'));
    EXPECT_EQ(Run(job, xml, &RecordProgress), 0u);
    EXPECT_EQ(ReadText(xml), document);
}

// A job that is missing (3) or does not open as a job (4): no output, and
// an earlier document of that name is left as it was.
TEST_F(Export, JobThatCannotBeReadLeavesTheOutputAlone) {
    const std::string empty = dir.File("empty.job");
    WriteFileBytes(empty, {});
    const std::string fifo = dir.File("pipe.job"); // no writer: refused, never waited on
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // (Jobs of another version or type, or without a record, are refused by
    // the open: its statuses are in the access tests, the 4 in the command's.)
    // clang-format off
    const std::pair<std::string, unsigned> cases[] = {
        {dir.File("absent.job"), 3}, {"", 3}, {dir.Path(), 4}, {empty, 4}, {fifo, 4},
        {"/dev/zero", 4}};
    // clang-format on
    for (const auto& [path, status] : cases) {
        SCOPED_TRACE(path);
        std::remove(xml.c_str());
        EXPECT_EQ(Run(path, xml), status);
        EXPECT_FALSE(fs::exists(xml));
        WriteFileBytes(xml, {'o', 'l', 'd'});
        EXPECT_EQ(Run(path, xml), status);
        EXPECT_EQ(ReadText(xml), "old");
    }
}

// Only the innermost missing folder is made; no folder, an empty path or a
// directory in the output's place give 5. A device in the output's place is
// written to, not replaced: the export does not see that the writes fail
// (the command, which asks to, does). The internal call reports why
// creating failed.
TEST_F(Export, OutputPlaces) {
    WriteNotes(job, 3000);
    ASSERT_EQ(Run(job, xml), 0u);
    const std::string inFolder = dir.File("exports/survey.xml");
    EXPECT_EQ(Run(job, inFolder), 0u);
    EXPECT_EQ(ReadText(inFolder), ReadText(xml));

    const std::string deep = dir.File("missing/inner/survey.xml");
    const std::string folder = dir.File("folder");
    fs::create_directory(folder);
    for (const std::string& path : {deep, std::string(), folder})
        EXPECT_EQ(Run(job, path), 5u) << path;
    EXPECT_FALSE(fs::exists(dir.File("missing")));
    EXPECT_TRUE(fs::is_directory(folder));

    EXPECT_EQ(Run(job, "/dev/full"), 0u);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    ConversionReport report;
    EXPECT_EQ(ConvertJobFile(job.c_str(), deep.c_str(), nullptr, {}, &report), 5u);
    EXPECT_EQ(report.outputError, static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(ConvertJobFile(job.c_str(), "/dev/null", nullptr, {}, &report), 0u);
    EXPECT_EQ(report.outputError, 0u); // a report says "no error" after a clean run
}

// An output that names the job, by another spelling or through a link, is
// refused with 5 and the job is left as it was; a link to another file is
// replaced, not written through.
TEST_F(Export, OutputThatIsTheJobIsRefused) {
    WriteNotes(job, 3);
    const std::string bytes = ReadText(job);
    fs::create_directory(dir.File("sub"));
    fs::create_hard_link(job, dir.File("hard.job"));
    fs::create_symlink(job, dir.File("soft.xml"));
    const std::string other = dir.File("other.txt");
    WriteFileBytes(other, {'o'});
    fs::create_symlink(other, dir.File("elsewhere.xml"));

    for (const std::string& same : {job, dir.Path() + "/./survey.job", dir.File("sub/../survey.job"),
                                    dir.File("hard.job"), dir.File("soft.xml")}) {
        SCOPED_TRACE(same);
        EXPECT_EQ(Run(job, same), 5u);
        EXPECT_EQ(Run(dir.File("soft.xml"), same), 5u);
        EXPECT_EQ(ReadText(job), bytes);
    }
    ASSERT_EQ(Run(job, dir.File("elsewhere.xml")), 0u);
    EXPECT_EQ(ReadText(other), "o");
    EXPECT_FALSE(fs::is_symlink(dir.File("elsewhere.xml")));
}

// An earlier output that may not be removed: 5, with the reason it could
// not be removed rather than that a file of that name exists.
TEST_F(Export, OutputThatCannotBeRemovedSaysWhy) {
    WriteNotes(job, 1);
    ConversionReport report;
    if (::geteuid() != 0) { // the superuser removes it all the same
        const std::string folder = dir.File("locked");
        fs::create_directory(folder);
        WriteFileBytes(folder + "/survey.xml", {'o'});
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(ConvertJobFile(job.c_str(), (folder + "/survey.xml").c_str(), nullptr, {},
                                 &report),
                  5u);
        EXPECT_EQ(report.outputError, static_cast<uint32_t>(EACCES));
        fs::permissions(folder, fs::perms::owner_all);
    }
}

// Progress is the share of records done; a stop asked for on the first
// record leaves an empty file.
TEST_F(Export, ProgressIsTheShareOfRecordsDone) {
    const std::vector<int> expected[] = {{100}, {33, 66, 100}, {14, 28, 42, 57, 71, 85, 100}};
    for (const std::vector<int>& percents : expected) {
        gPercents.clear();
        WriteNotes(job, static_cast<int>(percents.size()));
        EXPECT_EQ(Run(job, xml, &RecordProgress), 0u);
        EXPECT_EQ(gPercents, percents);
    }

    gPercents.clear();
    gStopFrom = 0;
    EXPECT_EQ(Run(job, xml, &RecordProgress), 1u);
    EXPECT_EQ(gPercents, std::vector<int>({14}));
    EXPECT_TRUE(fs::exists(xml));
    EXPECT_EQ(ReadText(xml), "");
}

TEST_F(Export, StopLaterKeepsOnlyWhatWasWrittenOut) {
    // Large enough for the document to be written out in pieces before the
    // stop: every note is one long line.
    WriteNotes(job, 400, std::string(600, 'n'));
    ASSERT_EQ(Run(job, xml), 0u);
    const std::string complete = ReadText(xml);
    ASSERT_GT(complete.size(), 3u * 65536);

    gStopFrom = 50;
    EXPECT_EQ(Run(job, xml, &RecordProgress), 1u);
    EXPECT_EQ(gPercents.size(), 200u);
    const std::string cut = ReadText(xml);
    EXPECT_GT(cut.size(), 65536u);
    EXPECT_LT(cut.size(), complete.size() / 2);
    EXPECT_EQ(complete.compare(0, cut.size(), cut), 0);
}

// Markup characters of the job path are written as entities; bytes from
// 0x80 up (UTF-8 of two, three and four bytes, and a byte that is no UTF-8
// at all) are written as they are. (Spaces at the ends: the sink's tests.)
TEST_F(Export, JobPathIsEncodedInTheDocument) {
    const std::string name = "a&b \"c\" <d> 'e' \xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x90\xFF.job";
    WriteNotes(dir.File(name), 1);
    EXPECT_EQ(Run(dir.File(name), xml), 0u);
    const std::string document = ReadText(xml);
    const std::string start = DocumentStart(dir.File(
        "a&amp;b &quot;c&quot; &lt;d&gt; &apos;e&apos; \xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x90\xFF.job"));
    EXPECT_EQ(document.substr(0, start.size()), start);
    EXPECT_TRUE(IsWellFormed(document));
}

// "STDOUT$" exactly is standard output; a file that carries the name is
// neither removed nor written. In other letters it is an ordinary file in
// the working directory. A job that fails writes nothing there.
TEST_F(Export, StandardOutputByItsExactName) {
    // Enough records for the document to reach the pipe in several pieces.
    WriteNotes(job, 300, std::string(400, 's'));
    ASSERT_EQ(Run(job, xml), 0u);
    const std::string expected = ReadText(xml);

    const std::string namesake = dir.File("STDOUT$");
    WriteFileBytes(namesake, {'k', 'e', 'e', 'p'});
    EXPECT_EQ(RunInChild(job, "STDOUT$"), std::make_pair(0, expected));
    EXPECT_EQ(ReadText(namesake), "keep");

    EXPECT_EQ(RunInChild(job, "stdout$"), std::make_pair(0, std::string()));
    EXPECT_EQ(ReadText(dir.File("stdout$")), expected);

    EXPECT_EQ(RunInChild(dir.File("absent.job"), "STDOUT$"), std::make_pair(3, std::string()));
}

} // namespace
} // namespace tqxml
