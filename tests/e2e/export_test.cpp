// The export as a host sees it: the built shared library loaded at run time,
// CreateTQXMLFile found by name, its statuses, the files it leaves behind,
// the progress it reports and standard output.
#include "e2e_support.h"

#include "convert/export.h"

#include <cerrno>
#include <sys/stat.h>

#include "db/filehdr.h"
#include "records/job_level.h"
#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tqxml {
namespace {

// What the progress callback saw, and from which percentage on it asks to stop.
std::vector<int> gPercents;
int gStopFrom = 1000;

unsigned char TQXML_CALL RecordProgress(int percent) {
    gPercents.push_back(percent);
    return percent >= gStopFrom ? 0 : 1;
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        const SharedLibrary& library = SharedLibrary::Get();
        ASSERT_TRUE(library.IsLoaded()) << library.Error();
        create = library.Export();
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

    CreateTQXMLFileFunction create = nullptr;
    TempDir dir;
    std::string job = dir.File("survey.job");
    std::string xml = dir.File("survey.xml");
};

TEST_F(Export, WritesTheWholeDocumentWithStatusZero) {
    WriteNotes(job, 2);
    EXPECT_EQ(Run(job, xml), 0u);

    const std::string document = ReadText(xml);
    EXPECT_EQ(document.substr(0, DocumentStart(job).size()), DocumentStart(job));
    EXPECT_TRUE(IsWellFormed(document));
    EXPECT_EQ(RecordBlocks(document).size(), 2u);
}

// A job that is missing (3) or does not open as a job (4): no output, and
// an earlier document of that name is left as it was.
TEST_F(Export, JobThatCannotBeReadLeavesTheOutputAlone) {
    const std::string text = dir.File("readme.txt");
    WriteFileBytes(text, std::vector<uint8_t>(200, 'x'));
    const std::string empty = dir.File("empty.job");
    WriteFileBytes(empty, {});
    const std::string headerOnly = dir.File("header-only.job"); // a valid header, no record
    {
        JobFileWriter writer;
        ASSERT_TRUE(writer.Create(Str(headerOnly.c_str())));
        ASSERT_TRUE(writer.Close());
    }
    const std::string older = dir.File("older.job"); // a format version one step back
    WriteNotes(older, 1);
    PatchBytes(older, 47, {35});
    const std::string style = dir.File("style.job"); // a style file's type
    WriteNotes(style, 1);
    PatchBytes(style, 43, {FILEHDR_Style});
    const std::string fifo = dir.File("pipe.job"); // no writer: refused, never waited on
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // clang-format off
    const std::pair<std::string, unsigned> cases[] = {
        {dir.File("absent.job"), 3}, {"", 3},    {text, 4},  {dir.Path(), 4},  {empty, 4},
        {headerOnly, 4},             {older, 4}, {style, 4}, {fifo, 4}, {"/dev/zero", 4}};
    // clang-format on
    for (const auto& [path, status] : cases) {
        std::remove(xml.c_str());
        EXPECT_EQ(Run(path, xml), status) << path;
        EXPECT_FALSE(PathExists(xml)) << path;
        WriteFileBytes(xml, {'o', 'l', 'd'});
        EXPECT_EQ(Run(path, xml), status) << path;
        EXPECT_EQ(ReadText(xml), "old") << path;
    }
}

// A device in the output's place is written to, not replaced; the export
// does not see that the writes fail, the internal call reports it.
TEST_F(Export, OutputThatFailsToWriteIsReportedByTheInternalCallOnly) {
    WriteNotes(job, 3000);
    EXPECT_EQ(Run(job, "/dev/null"), 0u);
    EXPECT_EQ(Run(job, "/dev/full"), 0u);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

    ConversionReport report;
    ConversionOptions stopAtFailure;
    stopAtFailure.stopOnWriteFailure = true;
    EXPECT_EQ(ConvertJobFile(job.c_str(), "/dev/full", nullptr, stopAtFailure, &report), 5u);
    EXPECT_TRUE(report.writeFailed);
    EXPECT_EQ(report.outputError, static_cast<uint32_t>(ENOSPC));
    EXPECT_EQ(ConvertJobFile(job.c_str(), "/dev/null", nullptr, stopAtFailure, &report), 0u);
    EXPECT_FALSE(report.writeFailed);
    EXPECT_EQ(report.outputError, 0u); // a report says "no error" after a clean run

    // Creating fails with the system's reason.
    EXPECT_EQ(ConvertJobFile(job.c_str(), dir.File("a/b/c.xml").c_str(), nullptr, {}, &report), 5u);
    EXPECT_EQ(report.outputError, static_cast<uint32_t>(ENOENT));
    EXPECT_FALSE(report.writeFailed);
}

TEST_F(Export, OnlyTheInnermostMissingFolderIsMadeElseFive) {
    WriteNotes(job, 1);
    const std::string inFolder = dir.File("exports/survey.xml");
    EXPECT_EQ(Run(job, inFolder), 0u);
    EXPECT_EQ(Run(job, xml), 0u);
    EXPECT_EQ(ReadText(inFolder), ReadText(xml));

    const std::string deep = dir.File("missing/inner/survey.xml");
    EXPECT_EQ(Run(job, deep), 5u);
    EXPECT_FALSE(PathExists(dir.File("missing")));

    EXPECT_EQ(Run(job, ""), 5u);

    // A directory in the output's place.
    const std::string folder = dir.File("folder");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(Run(job, folder), 5u);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(Export, ProgressIsTheShareOfRecordsDone) {
    const std::vector<std::vector<int>> expected = {
        {100}, {33, 66, 100}, {14, 28, 42, 57, 71, 85, 100}};
    for (const std::vector<int>& percents : expected) {
        gPercents.clear();
        WriteNotes(job, static_cast<int>(percents.size()));
        EXPECT_EQ(Run(job, xml, &RecordProgress), 0u);
        EXPECT_EQ(gPercents, percents);
    }
}

TEST_F(Export, StopOnTheFirstRecordLeavesAnEmptyFile) {
    WriteNotes(job, 3);
    gStopFrom = 0;
    EXPECT_EQ(Run(job, xml, &RecordProgress), 1u);
    EXPECT_EQ(gPercents, std::vector<int>({33}));
    EXPECT_TRUE(PathExists(xml));
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
    EXPECT_EQ(cut.find("</JOBFile>"), std::string::npos);
}

TEST_F(Export, OutputOfAnEarlierRunIsReplacedByTheSameBytes) {
    WriteNotes(job, 5);
    ASSERT_EQ(Run(job, xml, &RecordProgress), 0u);
    const std::string document = ReadText(xml);
    EXPECT_EQ(RecordBlocks(document).size(), 5u);

    // A second call in the same process, over a longer file.
    WriteFileBytes(xml, std::vector<uint8_t>(document.size() * 3, '#'));
    EXPECT_EQ(Run(job, xml, &RecordProgress), 0u);
    EXPECT_EQ(ReadText(xml), document);
}

TEST_F(Export, JobPathIsEncodedInTheDocument) {
    // Markup characters are written as entities; bytes from 0x80 up (UTF-8
    // of two, three and four bytes, and a byte that is no UTF-8 at all) are
    // written as they are.
    const std::string name = "a&b \"c\" <d> 'e' \xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x90\xFF.job";
    const std::string special = dir.File(name);
    WriteNotes(special, 1);
    EXPECT_EQ(Run(special, xml), 0u);
    const std::string document = ReadText(xml);
    const std::string start =
        DocumentStart(dir.Path() + "/a&amp;b &quot;c&quot; &lt;d&gt; &apos;e&apos; "
                                   "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x90\xFF.job");
    EXPECT_EQ(document.substr(0, start.size()), start);
    EXPECT_TRUE(IsWellFormed(document));

    // A space at the end of the path is not written.
    const std::string trailing = dir.File("trailing ");
    WriteNotes(trailing, 1);
    EXPECT_EQ(Run(trailing, xml), 0u);
    const std::string trimmed = DocumentStart(dir.File("trailing"));
    EXPECT_EQ(ReadText(xml).substr(0, trimmed.size()), trimmed);
}

// Runs the export in a child process with standard output on a pipe and the
// working directory `cwd`; returns what reached standard output and sets
// `status` to the export's status (-1 when the child did not end normally).
std::string RunInChild(CreateTQXMLFileFunction create, const std::string& job, const char* xmlPath,
                       const std::string& cwd, int& status) {
    int fds[2];
    status = -1;
    if (::pipe(fds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::dup2(fds[1], STDOUT_FILENO) < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(99);
        ::close(fds[1]);
        ::_exit(static_cast<int>(create(job.c_str(), xmlPath, nullptr)));
    }
    ::close(fds[1]);
    std::string out;
    char chunk[4096];
    for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) != 0;) {
        if (n < 0) break;
        out.append(chunk, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    int wait = 0;
    if (child > 0 && ::waitpid(child, &wait, 0) == child && WIFEXITED(wait))
        status = WEXITSTATUS(wait);
    return out;
}

TEST_F(Export, StandardOutputByItsExactName) {
    // Enough records for the document to reach the pipe in several pieces.
    WriteNotes(job, 300, std::string(400, 's'));
    ASSERT_EQ(Run(job, xml), 0u);
    const std::string expected = ReadText(xml);

    // A file that happens to carry the name is neither removed nor written.
    const std::string namesake = dir.File("STDOUT$");
    WriteFileBytes(namesake, {'k', 'e', 'e', 'p'});
    int status = -1;
    const std::string out = RunInChild(create, job, "STDOUT$", dir.Path(), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(ReadText(namesake), "keep");

    // In other letters it is an ordinary file in the working directory.
    const std::string lower = RunInChild(create, job, "stdout$", dir.Path(), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lower, "");
    EXPECT_EQ(ReadText(dir.File("stdout$")), expected);
}

TEST_F(Export, StandardOutputIsNotUsedWhenTheJobFails) {
    int status = -1;
    EXPECT_EQ(RunInChild(create, dir.File("absent.job"), "STDOUT$", dir.Path(), status), "");
    EXPECT_EQ(status, 3);
}

} // namespace
} // namespace tqxml
