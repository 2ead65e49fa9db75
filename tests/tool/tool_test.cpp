// The tqxml command run as a process on jobs made here: its documents, its
// exit codes and error lines, parallel batches, --info and --verbose on
// damaged jobs, and Ctrl-C.
#include "tool_process.h"

#include "job_writer.h"
#include "records/job_level.h"
#include "records/observation.h"
#include "support/journal_damage.h"

#include <tqxml/tqxml.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <csignal>
#include <sys/stat.h>
#include <sys/resource.h>

namespace tqxml {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::string HexText(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

class ToolTest : public ::testing::Test {
protected:
    TempDir dir;

    // A job header, then `points` observations, each its own transaction.
    std::string MakeJob(const std::string& name, int points) {
        const std::string path = dir.File(name);
        JobFileWriter writer;
        EXPECT_TRUE(writer.Create(Str(path.c_str())));
        db_JobHeader header;
        writer.Add(header);
        for (int i = 0; i < points; ++i) {
            db_Observation point;
            point.PointName = Str((name + "-" + std::to_string(i)).c_str());
            writer.Add(point);
        }
        EXPECT_TRUE(writer.Close());
        return path;
    }

    // The document the export writes to a file for `job`.
    std::string ExportDocument(const std::string& job) {
        const std::string out = dir.File("export.xml");
        EXPECT_EQ(CreateTQXMLFile(job.c_str(), out.c_str(), nullptr), TQXML_Done);
        return ReadText(out);
    }

    ToolRun Run(const std::vector<std::string>& args) { return RunTool(args, dir.Path()); }
};

// ---- Documents --------------------------------------------------------------

TEST_F(ToolTest, StandardOutputAndFilesHoldExactlyTheExportsDocument) {
    const std::string job = MakeJob("survey.job", 40);
    const std::string expected = ExportDocument(job);
    ASSERT_THAT(expected, EndsWith("</JOBFile>\r\n"));

    const ToolRun toStdout = Run({job});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_TRUE(SameDocument(toStdout.out, expected));
    EXPECT_EQ(toStdout.err, "");

    const ToolRun dash = Run({"-o", "-", job});
    EXPECT_EQ(dash.exitCode, 0);
    EXPECT_TRUE(SameDocument(dash.out, expected));

    const std::string file = dir.File("named.xml");
    const ToolRun toFile = Run({"-o", file, job});
    EXPECT_EQ(toFile.exitCode, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_TRUE(SameDocument(ReadText(file), expected));

    // A job on standard input is named "-" in its document.
    std::string fromPipe = expected;
    const std::string named = "jobFilename=\"" + job + "\"";
    fromPipe.replace(fromPipe.find(named), named.size(), "jobFilename=\"-\"");
    const ToolRun piped = RunTool({"-"}, dir.Path(), job);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_TRUE(SameDocument(piped.out, fromPipe));
    EXPECT_EQ(piped.err, "");
}

TEST_F(ToolTest, ParallelBatchWritesTheSameDocumentsAsASerialOne) {
    std::vector<std::string> jobs;
    for (int i = 1; i <= 6; ++i)
        jobs.push_back(MakeJob("job" + std::to_string(i) + ".job", i * 300));

    auto batch = [&](const std::string& parallel, const std::string& outDir) {
        std::vector<std::string> args = {"-j", parallel, "--output-dir", dir.File(outDir)};
        args.insert(args.end(), jobs.begin(), jobs.end());
        return Run(args);
    };
    const ToolRun serial = batch("1", "serial");
    const ToolRun parallel = batch("4", "parallel");
    EXPECT_EQ(serial.exitCode, 0);
    EXPECT_EQ(parallel.exitCode, 0);
    EXPECT_EQ(parallel.err, "");
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "job" + std::to_string(i) + ".xml";
        const std::string expected = ExportDocument(jobs[i - 1]);
        EXPECT_TRUE(SameDocument(ReadText(dir.File("serial/" + name)), expected)) << name;
        EXPECT_TRUE(SameDocument(ReadText(dir.File("parallel/" + name)), expected)) << name;
    }
}

// ---- Exit codes and error lines -----------------------------------------------

TEST_F(ToolTest, EachFailureHasItsExitCodeAndOneLineNamingTheFile) {
    const std::string job = MakeJob("good.job", 2);
    const std::string missing = dir.File("missing.job");
    const std::string notAJob = dir.File("notes.job");
    WriteFileBytes(notAJob, std::vector<uint8_t>(100, 'x'));
    const std::string empty = dir.File("empty.job");
    {
        JobFileWriter writer;
        ASSERT_TRUE(writer.Create(Str(empty.c_str())));
        ASSERT_TRUE(writer.Close());
    }
    const std::string older = MakeJob("older.job", 1);
    PatchBytes(older, 47, {35});
    const std::string blocked = dir.File("good.job/out.xml"); // a plain file as its folder

    const struct {
        std::vector<std::string> args;
        int exitCode;
        ::testing::Matcher<std::string> line;
    } cases[] = {
        {{missing}, 3, "tqxml: " + missing + ": no such job file"},
        {{notAJob}, 4, StartsWith("tqxml: " + notAJob + ": not a job file")},
        {{empty}, 4, "tqxml: " + empty + ": the job holds no record"},
        {{older}, 4, HasSubstr("format version 12.20.35")},
        {{"-o", blocked, job}, 5, StartsWith("tqxml: " + blocked + ": ")},
        {{"-o", dir.Path(), job}, 5, HasSubstr("Is a directory")},
    };
    for (const auto& c : cases) {
        const ToolRun run = Run(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args);
        EXPECT_THAT(run.ErrorLines(), ElementsAre(c.line));
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(ToolTest, ABatchGoesOnPastFailuresAndExitsWithTheFirstInTheOrderGiven) {
    const std::string good = MakeJob("good.job", 2);
    const std::string missing = dir.File("missing.job");
    const std::string notAJob = dir.File("bad.job");
    WriteFileBytes(notAJob, std::vector<uint8_t>(64, 'x'));

    const ToolRun missingFirst = Run({"-j", "3", missing, good, notAJob});
    EXPECT_EQ(missingFirst.exitCode, 3);
    EXPECT_EQ(missingFirst.ErrorLines().size(), 2u);
    // Without --output-dir, NAME.xml beside NAME.job.
    EXPECT_TRUE(SameDocument(ReadText(dir.File("good.xml")), ExportDocument(good)));

    const ToolRun unreadableFirst = Run({"-j", "3", notAJob, good, missing});
    EXPECT_EQ(unreadableFirst.exitCode, 4);
}

// What a user meets at the edges of the output: a full device, a full
// disk partway through a file, a reader that stops early, a job on a FIFO.
TEST_F(ToolTest, OutputFailuresAreSaidAndIncompleteFilesRemoved) {
    const std::string job = MakeJob("survey.job", 3000);

    const ToolRun full = Run({"-o", "/dev/full", job});
    EXPECT_EQ(full.exitCode, 6);
    EXPECT_THAT(full.ErrorLines(), ElementsAre("tqxml: /dev/full: No space left on device; the "
                                               "document is incomplete"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

    // A file that the system stops growing: removed, and said so.
    const std::string xml = dir.File("survey.xml");
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 100000;
    auto* previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const ToolRun cut = Run({"-o", xml, job});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(cut.exitCode, 6);
    EXPECT_THAT(cut.ErrorLines(), ElementsAre(EndsWith("the incomplete document was removed")));
    EXPECT_FALSE(std::filesystem::exists(xml));

    // A FIFO is read to its end like standard input.
    const std::string fifo = dir.File("pipe.job");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread feeder([&] { std::ofstream(fifo, std::ios::binary) << ReadText(job); });
    const ToolRun piped = Run({"-o", xml, fifo});
    feeder.join();
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_THAT(ReadText(xml), EndsWith("</JOBFile>\r\n"));
}

// The default document carries stored bytes under a UTF-8 declaration; on
// request, every golden job's edge values come out as a document a strict
// XML parser accepts.
TEST_F(ToolTest, TextEncodingGivesDocumentsAnXmlParserAccepts) {
    if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xmllint";
    const std::filesystem::path golden = std::filesystem::path(TQXML_SOURCE_DIR) / "tests/golden";
    int jobs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(golden)) {
        if (entry.path().extension() != ".job") continue;
        const std::string xml = dir.File("strict.xml");
        const ToolRun run = Run({"--text-encoding", "CP1252", "-o", xml, entry.path().string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(std::system(("xmllint --noout '" + xml + "'").c_str()), 0) << entry.path();
        ++jobs;
    }
    EXPECT_GE(jobs, 10);
    EXPECT_EQ(Run({"--text-encoding", "NO-SUCH-PAGE", MakeJob("a.job", 1)}).exitCode, 2);
}

TEST_F(ToolTest, UsageErrorsExitWithTwoAndOneLine) {
    const std::string a = MakeJob("a.job", 1);
    std::filesystem::create_directory(dir.File("other"));
    const std::string sameName = MakeJob("other/a.job", 1);

    const std::vector<std::vector<std::string>> mistakes = {
        {},                                             // no job
        {"--no-such-option", a},                        // unknown option
        {"-j", "0", a},                                 // no conversion at all
        {"-o", dir.File("x.xml"), a, sameName},         // one document for two jobs
        {"--output-dir", dir.File("out"), a, sameName}, // both would write out/a.xml
        {"--quiet", "--verbose", a},
        {"-o", a, a},                                   // the document would replace the job
        {"-", a},                                       // standard input goes alone
    };
    for (const auto& args : mistakes) {
        const ToolRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_THAT(run.ErrorLines(), ElementsAre(StartsWith("tqxml: ")))
            << ::testing::PrintToString(args);
    }
    EXPECT_EQ(ReadText(a).substr(0, 7), "Halvorn"); // the job is still there
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
}

// ---- Damaged jobs: --info and --verbose ---------------------------------------------

class DamagedJobTest : public ToolTest {
protected:
    // Ten observations; the checksum of the entry of the fourth no longer
    // matches, so the replay keeps the job header and three observations.
    void SetUp() override {
        job = MakeJob("damaged.job", 10);
        damagedAt = EntryPositions(job).at(4);
        FlipByte(job, damagedAt + 12);
    }

    std::string job;
    uint32_t damagedAt = 0;
};

TEST_F(DamagedJobTest, InfoTellsWhereAndWhyTheReplayStopped) {
    const ToolRun run = Run({"--info", job});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(run.out, HasSubstr("\"Halvorn Tessary Journal\", type 1 (job journal), "
                                   "version 12.20.36"));
    EXPECT_THAT(run.out, HasSubstr("entries       4 read"));
    EXPECT_THAT(run.out, HasSubstr("transactions  4 applied, 0 dropped"));
    EXPECT_THAT(run.out, HasSubstr("stopped at the damaged entry at " + HexText(damagedAt) +
                                   ": its checksum does not match"));
    EXPECT_THAT(run.out, HasSubstr("records       4 in the chain"));
    EXPECT_THAT(run.out, HasSubstr("       1  DATABASE_JobHeaderRecord\n"));
    EXPECT_THAT(run.out, HasSubstr("       3  DATABASE_ObservationRecord\n"));
    EXPECT_THAT(run.out, HasSubstr("open status   6, "));
    EXPECT_FALSE(std::filesystem::exists(dir.File("damaged.xml")));
}

TEST_F(ToolTest, InfoCountsDroppedTransactionsByReason) {
    const std::string path = dir.File("dropped.job");
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(path.c_str())));
    db_JobHeader header;
    writer.Add(header);
    writer.BeginTransaction();
    db_Observation discarded;
    writer.Add(discarded);
    writer.EndTransaction(true);
    writer.BeginTransaction();
    db_Observation unfinished;
    writer.Add(unfinished);
    writer.Add(unfinished);
    ASSERT_TRUE(writer.Close());

    const ToolRun run = Run({"--info", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("transactions  1 applied, 2 dropped\n"));
    EXPECT_THAT(run.out, HasSubstr("1 discarded when written\n"));
    EXPECT_THAT(run.out, HasSubstr("1 unfinished at the end of the journal\n"));
    EXPECT_THAT(run.out, HasSubstr("read to the end of the journal"));
    EXPECT_THAT(run.out, HasSubstr("open status   0, "));
}

TEST_F(DamagedJobTest, InfoOnAJobThatCannotBeOpenedReportsTheHeaderAndExitsWithFour) {
    PatchBytes(job, 47, {35});
    const ToolRun run = Run({"--info", job, dir.File("missing.job")});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_THAT(run.out, HasSubstr("version 12.20.35"));
    EXPECT_THAT(run.out, HasSubstr("open status   2, "));
    EXPECT_THAT(run.ErrorLines(), ElementsAre(HasSubstr("format version 12.20.35"),
                                              EndsWith("missing.job: no such job file")));
}

TEST_F(DamagedJobTest, VerboseShowsTheJournalsDiagnosticsPrefixedByTheJob) {
    const std::string out = dir.File("damaged.xml");
    const ToolRun run = Run({"--verbose", "-o", out, job});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.ErrorLines(), Contains(job + ": Journal: CRC error at  " + HexText(damagedAt)));
    EXPECT_TRUE(SameDocument(ReadText(out), ExportDocument(job))); // what came before the damage
}

TEST_F(DamagedJobTest, WithoutVerboseOneWarningAndWithQuietNothing) {
    const ToolRun plain = Run({"-o", dir.File("plain.xml"), job});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_THAT(plain.ErrorLines(),
                ElementsAre(AllOf(StartsWith("tqxml: " + job + ": warning"), HasSubstr("--info"))));
    const ToolRun quiet = Run({"--quiet", "-o", dir.File("quiet.xml"), job});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
}

TEST_F(ToolTest, ParallelConversionsKeepTheirDiagnosticsApart) {
    // Six jobs, each damaged at another entry: every line a job's name opens
    // must tell of that job's damage only.
    std::vector<std::string> args = {"-j", "3", "--verbose", "--output-dir", dir.File("out")};
    std::vector<std::pair<std::string, std::string>> damage; // job, position
    for (int i = 0; i < 6; ++i) {
        const std::string job = MakeJob("d" + std::to_string(i) + ".job", 400);
        const uint32_t at = EntryPositions(job).at(100 + 50 * i);
        FlipByte(job, at + 12);
        damage.emplace_back(job, HexText(at));
        args.push_back(job);
    }
    const ToolRun run = Run(args);
    EXPECT_EQ(run.exitCode, 0);
    const std::vector<std::string> lines = run.ErrorLines();
    for (const auto& [job, at] : damage)
        EXPECT_THAT(lines, Contains(job + ": Journal: CRC error at  " + at));
    for (const std::string& line : lines) {
        int owners = 0;
        for (const auto& [job, at] : damage) {
            if (line.rfind(job + ": ", 0) != 0) continue;
            ++owners;
            if (line.find("error at") != std::string::npos) {
                EXPECT_THAT(line, EndsWith(" " + at));
            }
        }
        EXPECT_EQ(owners, 1) << line;
    }
}

// ---- Ctrl-C ---------------------------------------------------------------------

TEST_F(ToolTest, CtrlCStopsWithTheCutOffDocumentAndExitCode130) {
    const std::string job = MakeJob("large.job", 30000);
    const std::string complete = ExportDocument(job);
    ASSERT_GT(complete.size(), 1u << 20) << "the document must outgrow the pipe by far";

    const ToolRun run = RunTool({job}, dir.Path(), "/dev/null", /*interrupt=*/true);
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_THAT(run.ErrorLines(),
                ElementsAre("tqxml: " + job + ": interrupted; the document is cut off"));
    EXPECT_FALSE(run.out.empty());
    EXPECT_LT(run.out.size(), complete.size());
    EXPECT_TRUE(SameDocument(run.out, complete.substr(0, run.out.size())));
}

} // namespace
} // namespace tqxml
