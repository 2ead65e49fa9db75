// The tqxml command run as a process on jobs made here: its documents (and
// Ctrl-C), its exit codes and error lines, parallel batches, --info and
// --verbose on damaged jobs.
#include "tool_process.h"

#include "job_writer.h"
#include "records/job_level.h"
#include "records/observation.h"
#include "support/journal_damage.h"

#include <tqxml/tqxml.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace tqxml {
namespace {

using namespace ::testing;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class ToolTest : public Test {
protected:
    TempDir dir;

    // A job header (unless not `withHeader`), then `points` observations,
    // each its own transaction.
    std::string MakeJob(const std::string& name, int points, bool withHeader = true) {
        const std::string path = dir.File(name);
        JobFileWriter writer;
        EXPECT_TRUE(writer.Create(Str(path.c_str())));
        if (withHeader) writer.Add(db_JobHeader());
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

    ToolRun Run(const Lines& args) { return RunTool(args, dir.Path()); }
};

// ---- Documents --------------------------------------------------------------

// One large job's document, wherever it goes: whole and the export's on
// standard output, "-o -" or in a file, from standard input or from a FIFO;
// cut short by the system's limit on file size (the file removed, and said
// so) or by Ctrl-C (what came out so far, and exit code 130).
TEST_F(ToolTest, EveryWayOutGivesTheExportsDocumentOrSaysWhereItWasCut) {
    const std::string job = MakeJob("large.job", 30000);
    const std::string expected = ExportDocument(job);
    ASSERT_THAT(expected, EndsWith("</JOBFile>\r\n"));
    ASSERT_GT(expected.size(), 1u << 20) << "the document must outgrow the pipe by far";
    // A job read from elsewhere goes by that name in its document.
    auto namedAs = [&](const std::string& name) {
        const std::string named = "jobFilename=\"" + job + "\"";
        return std::string(expected).replace(expected.find(named), named.size(),
                                             "jobFilename=\"" + name + "\"");
    };
    const std::string file = dir.File("named.xml"), fifo = dir.File("pipe.job");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // The file the document goes to, "" for standard output.
    // clang-format off
    const struct { Lines args; std::string input, file, document; } cases[] = {
        {{job},               "/dev/null", "",   expected},
        {{"-o", "-", job},    "/dev/null", "",   expected},
        {{"-o", file, job},   "/dev/null", file, expected},
        {{"-"},               job,         "",   namedAs("-")},
        {{"-o", file, fifo},  "/dev/null", file, namedAs(fifo)},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(PrintToString(c.args));
        std::thread feeder([&] {
            if (c.args.back() == fifo) std::ofstream(fifo, std::ios::binary) << ReadText(job);
        });
        const ToolRun run = RunTool(c.args, dir.Path(), c.input);
        feeder.join();
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        // Nothing on standard output when the document goes to a file.
        EXPECT_TRUE(SameDocument(run.out + (c.file.empty() ? "" : ReadText(c.file)), c.document));
    }

    // The library's name for standard output is a file's name to the command.
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    const ToolRun named = Run({"-o", "STDOUT$", job});
    fs::current_path(before);
    EXPECT_EQ(named.exitCode, 0);
    EXPECT_EQ(named.out, "");
    EXPECT_TRUE(SameDocument(ReadText(dir.File("STDOUT$")), expected));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit limited{100000, saved.rlim_max};
    auto* previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const ToolRun cut = Run({"-o", file, job});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(cut.exitCode, 6);
    EXPECT_THAT(cut.errorLines,
                ElementsAre(AllOf(StartsWith("tqxml: " + file + ": "),
                                  EndsWith("the incomplete document was removed"))));
    EXPECT_FALSE(fs::exists(file));

    const ToolRun stopped = RunTool({job}, dir.Path(), "/dev/null", SIGINT);
    EXPECT_EQ(stopped.exitCode, 130);
    EXPECT_THAT(stopped.errorLines,
                ElementsAre("tqxml: " + job + ": interrupted; the document is cut off"));
    EXPECT_LT(stopped.out.size(), expected.size());
    EXPECT_TRUE(SameDocument(stopped.out, expected.substr(0, stopped.out.size())));
}

// ---- Exit codes and error lines -----------------------------------------------

// Usage errors exit with 2, a missing job with 3, one that cannot be opened
// with 4, an output that cannot be created with 5, one that cannot be written
// to its end with 6; a batch goes on past its failures and exits with the
// first in the order given.
TEST_F(ToolTest, EachFailureHasItsExitCodeAndOneLineNamingTheFile) {
    const std::string good = MakeJob("good.job", 2);
    const std::string sameName = MakeJob("other/good.job", 1);
    const std::string missing = dir.File("missing.job");
    const std::string notAJob = dir.File("notes.job");
    WriteFileBytes(notAJob, std::vector<uint8_t>(100, 'x'));
    const std::string empty = MakeJob("empty.job", 0, /*withHeader=*/false);
    const std::string older = MakeJob("older.job", 1);
    PatchBytes(older, 47, {35});
    const std::string blocked = dir.File("good.job/out.xml"); // a plain file as its folder
    const std::string isMissing = "tqxml: " + missing + ": no such job file";
    const auto isNotAJob = StartsWith("tqxml: " + notAJob + ": not a job file");
    const auto usage = ElementsAre(StartsWith("tqxml: "));
    const auto bothFailures = AllOf(SizeIs(2), Contains(isMissing), Contains(isNotAJob));
    const std::string noRecord = "tqxml: " + empty + ": the job holds no record";
    const auto olderFormat = HasSubstr("format version 12.20.35");
    const auto cannotCreate = StartsWith("tqxml: " + blocked + ": ");
    const auto isDirectory = HasSubstr("Is a directory");
    const char* full = "tqxml: /dev/full: No space left on device; the document is incomplete";

    // clang-format off
    const struct { Lines args; int exitCode; Matcher<Lines> lines; } cases[] = {
        {{},                                                2, usage}, // no job
        {{"--no-such-option", good},                        2, usage},
        {{"-j", "0", good},                                 2, usage}, // no conversion at all
        {{"-o", dir.File("x.xml"), good, sameName},         2, usage}, // one document, two jobs
        {{"--output-dir", dir.File("out"), good, sameName}, 2, usage}, // both out/good.xml
        {{"--quiet", "--verbose", good},                    2, usage},
        {{"-o", good, good},                                2, usage}, // the document on the job
        {{"-", good},                                       2, usage}, // standard input goes alone
        {{"--text-encoding", "NO-SUCH-PAGE", good},         2, usage},
        {{missing},                                         3, ElementsAre(isMissing)},
        {{notAJob},                                         4, ElementsAre(isNotAJob)},
        {{empty},                                           4, ElementsAre(noRecord)},
        {{older},                                           4, ElementsAre(olderFormat)},
        {{"-o", blocked, good},                             5, ElementsAre(cannotCreate)},
        {{"-o", dir.Path(), good},                          5, ElementsAre(isDirectory)},
        {{"-o", "/dev/full", good},                         6, ElementsAre(full)},
        {{"-j", "3", missing, good, notAJob},               3, bothFailures},
        {{"-j", "3", notAJob, good, missing},               4, bothFailures},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(PrintToString(c.args));
        const ToolRun run = Run(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_THAT(run.errorLines, c.lines);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ReadText(good).substr(0, 7), "Halvorn"); // the job is still there
    EXPECT_FALSE(fs::exists(dir.File("out")));
    EXPECT_TRUE(fs::is_character_file("/dev/full")); // not removed as an incomplete document
    // The batches wrote NAME.xml beside NAME.job.
    EXPECT_TRUE(SameDocument(ReadText(dir.File("good.xml")), ExportDocument(good)));
}

// ---- Temporary files, signals, links and closed streams ------------------------

// The files the command keeps in $TMPDIR while it runs.
Lines TemporaryFiles(const std::string& directory) {
    Lines names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    return names;
}

class ToolTempTest : public ToolTest {
protected:
    void SetUp() override {
        fs::create_directory(temp);
        const char* previous = std::getenv("TMPDIR");
        saved = previous ? previous : "";
        ::setenv("TMPDIR", temp.c_str(), 1);
    }
    void TearDown() override {
        if (saved.empty()) ::unsetenv("TMPDIR");
        else ::setenv("TMPDIR", saved.c_str(), 1);
    }
    std::string temp = dir.File("tmp");
    std::string saved;
};

// A job from standard input and a transcoded document each live in a file of
// the command's own while it works: SIGTERM, SIGHUP and Ctrl-C each stop the
// run there, remove both and exit with 128 + the signal.
TEST_F(ToolTempTest, SignalsLeaveNoTemporaryFilesBehind) {
    const std::string job = MakeJob("large.job", 30000);
    const ToolRun whole = RunTool({"--text-encoding", "CP1252", "-"}, dir.Path(), job);
    ASSERT_EQ(whole.exitCode, 0);
    ASSERT_GT(whole.out.size(), 1u << 20) << "the document must outgrow the pipe by far";
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        const ToolRun run = RunTool({"--text-encoding", "CP1252", "-"}, dir.Path(), job, signal);
        EXPECT_EQ(run.exitCode, 128 + signal);
        EXPECT_THAT(run.errorLines, ElementsAre("tqxml: -: interrupted; the document is cut off"));
        EXPECT_LT(run.out.size(), whole.out.size());
        EXPECT_EQ(whole.out.compare(0, run.out.size(), run.out), 0);
        EXPECT_EQ(TemporaryFiles(temp), Lines{});
    }
}

// What cannot be a job is refused at its first 48 bytes, not kept to 4 GiB;
// a closed standard input and a missing $TMPDIR are said as such.
TEST_F(ToolTempTest, StandardInputAndTemporaryFolderProblemsAreSaid) {
    const std::string job = MakeJob("small.job", 3);
    const ToolRun zero = RunTool({"-"}, dir.Path(), "/dev/zero");
    EXPECT_EQ(zero.exitCode, 4);
    EXPECT_THAT(zero.errorLines, ElementsAre(StartsWith("tqxml: -: not a job file (file type 0")));
    const ToolRun closed = RunTool({"-"}, dir.Path(), "");
    EXPECT_EQ(closed.exitCode, 4);
    EXPECT_THAT(closed.errorLines, ElementsAre(StartsWith("tqxml: -: standard input is closed")));
    EXPECT_EQ(TemporaryFiles(temp), Lines{});

    fs::remove(temp);
    const std::string missing = ": cannot make a temporary file in " + temp + ": No such file";
    const ToolRun spooled = RunTool({"-"}, dir.Path(), job);
    EXPECT_EQ(spooled.exitCode, 4);
    EXPECT_THAT(spooled.errorLines, ElementsAre(StartsWith("tqxml: -" + missing)));
    const std::string xml = dir.File("small.xml");
    const ToolRun transcoded = Run({"--text-encoding", "CP1252", "-o", xml, job});
    EXPECT_EQ(transcoded.exitCode, 5);
    EXPECT_THAT(transcoded.errorLines, ElementsAre(StartsWith("tqxml: " + xml + missing)));
}

// An earlier output that is a link is replaced, with or without
// --text-encoding, and the file it led to is left as it was; one that may
// not be removed is said to be so.
TEST_F(ToolTest, AnEarlierOutputIsReplacedNotWrittenThrough) {
    const std::string job = MakeJob("small.job", 3);
    const std::string target = dir.File("target.txt");
    for (const Lines& options : {Lines{}, Lines{"--text-encoding", "CP1252"}}) {
        SCOPED_TRACE(PrintToString(options));
        WriteFileBytes(target, {'t'});
        const std::string soft = dir.File("soft.xml"), hard = dir.File("hard.xml");
        fs::remove(soft), fs::remove(hard);
        fs::create_symlink(target, soft);
        fs::create_hard_link(target, hard);
        for (const std::string& output : {soft, hard}) {
            Lines args = options;
            args.insert(args.end(), {"-o", output, job});
            EXPECT_EQ(Run(args).exitCode, 0) << output;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(output)));
            EXPECT_THAT(ReadText(output), EndsWith("</JOBFile>\r\n"));
        }
        EXPECT_EQ(ReadText(target), "t");

        if (!fs::is_regular_file("/proc/version")) continue;
        Lines args = options;
        args.insert(args.end(), {"-o", "/proc/version", job});
        const ToolRun refused = Run(args);
        EXPECT_EQ(refused.exitCode, 5);
        EXPECT_THAT(refused.errorLines, ElementsAre("tqxml: /proc/version: cannot create the "
                                                    "document: Operation not permitted"));
    }
}

// ---- Damaged jobs: --info, --verbose, --quiet -----------------------------------

// Ten observations; the checksum of the entry of the fourth no longer matches,
// so the replay keeps the job header and three observations. Beside it, a job
// of which the journal drops two transactions, one discarded when written and
// one unfinished at the end, and one of an older format that cannot be opened.
// (--verbose and --quiet on damaged jobs: in the batches below.)
TEST_F(ToolTest, InfoAndAWarningTellOfDamage) {
    const std::string job = MakeJob("damaged.job", 10);
    const uint32_t damagedAt = EntryPositions(job).at(4);
    FlipByte(job, damagedAt + 12);
    const std::string dropped = dir.File("dropped.job");
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(dropped.c_str())));
    writer.Add(db_JobHeader());
    const db_Observation point;
    writer.BeginTransaction();
    writer.Add(point);
    writer.EndTransaction(/*discard=*/true);
    writer.BeginTransaction();
    writer.Add(point);
    writer.Add(point);
    ASSERT_TRUE(writer.Close());
    const std::string older = MakeJob("older.job", 1);
    PatchBytes(older, 47, {35});

    // One report a job, in the order given, and exit code 4 for the one unopened.
    const ToolRun info = Run({"--info", job, dropped, older, dir.File("missing.job")});
    EXPECT_EQ(info.exitCode, 4);
    EXPECT_THAT(info.errorLines, ElementsAre(HasSubstr("format version 12.20.35"),
                                             EndsWith("missing.job: no such job file")));
    EXPECT_FALSE(fs::exists(dir.File("damaged.xml"))); // nothing converted
    const std::string parts[] = {
        "\"Halvorn Tessary Journal\", type 1 (job journal), version 12.20.36",
        "entries       4 read",
        "transactions  4 applied, 0 dropped",
        JournalLine("stopped at the damaged entry at", damagedAt) + ": its checksum does not match",
        "records       4 in the chain",
        "       1  DATABASE_JobHeaderRecord\n",
        "       3  DATABASE_ObservationRecord\n",
        "open status   6, ",
        "transactions  1 applied, 2 dropped\n",
        "1 discarded when written\n",
        "1 unfinished at the end of the journal\n",
        "read to the end of the journal",
        "open status   0, ",
        "version 12.20.35",
        "open status   2, ",
    };
    size_t at = 0;
    for (const std::string& part : parts)
        EXPECT_NE(at = info.out.find(part, at), std::string::npos) << part << " in\n" << info.out;

    const ToolRun plain = Run({"-o", dir.File("damaged.xml"), job});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_THAT(plain.errorLines,
                ElementsAre(AllOf(StartsWith("tqxml: " + job + ": warning"), HasSubstr("--info"))));

    // With --salvage the observations behind the damaged entry come back
    // (how many: the salvage tests); the line, --info and the document's
    // first lines say where from.
    const std::string gap = "salvaged: " + JournalLine("the journal is damaged at", damagedAt) +
                            " (its checksum does not match); ";
    const ToolRun salvaged = Run({"--salvage", "-o", dir.File("salvaged.xml"), job});
    EXPECT_EQ(salvaged.exitCode, 0);
    EXPECT_THAT(salvaged.errorLines, ElementsAre(AllOf(StartsWith("tqxml: " + job + ": " + gap),
                                                       EndsWith("6 entries read after them"))));
    const std::string document = ReadText(dir.File("salvaged.xml"));
    EXPECT_THAT(document, HasSubstr("\r\n    <!-- " + gap));
    const ToolRun salvageInfo = Run({"--info", "--salvage", job});
    EXPECT_THAT(salvageInfo.out, HasSubstr("salvage       the journal is damaged at"));
    EXPECT_THAT(salvageInfo.out, HasSubstr("records       10 in the chain"));
}

// Six jobs, each damaged at another entry, converted one at a time and three
// at once: the same documents, the export's, and with --verbose every line a
// job's name opens tells of that job's damage only.
TEST_F(ToolTest, ParallelBatchWritesTheSerialDocumentsAndKeepsDiagnosticsApart) {
    Lines jobs, serialArgs = {"-j", "1", "--quiet", "--output-dir", dir.File("serial")},
                parallelArgs = {"-j", "3", "--verbose", "--output-dir", dir.File("parallel")};
    std::vector<uint32_t> damagedAt;
    for (int i = 0; i < 6; ++i) {
        jobs.push_back(MakeJob("d" + std::to_string(i) + ".job", 400));
        damagedAt.push_back(EntryPositions(jobs[i]).at(100 + 50 * i));
        FlipByte(jobs[i], damagedAt[i] + 12);
        serialArgs.push_back(jobs[i]);
        parallelArgs.push_back(jobs[i]);
    }
    const ToolRun serial = Run(serialArgs);
    EXPECT_EQ(serial.exitCode, 0);
    EXPECT_EQ(serial.err, "");
    const ToolRun parallel = Run(parallelArgs);
    EXPECT_EQ(parallel.exitCode, 0);
    const Lines& lines = parallel.errorLines;
    for (int i = 0; i < 6; ++i) {
        const std::string expected = ExportDocument(jobs[i]),
                          xml = "/d" + std::to_string(i) + ".xml";
        EXPECT_TRUE(SameDocument(ReadText(dir.File("serial" + xml)), expected)) << xml;
        EXPECT_TRUE(SameDocument(ReadText(dir.File("parallel" + xml)), expected)) << xml;
        EXPECT_THAT(lines,
                    Contains(jobs[i] + ": " + JournalLine("Journal: CRC error at ", damagedAt[i])));
    }
    for (const std::string& line : lines) {
        const auto owner = std::find(jobs.begin(), jobs.end(), line.substr(0, line.find(": ")));
        ASSERT_NE(owner, jobs.end()) << line;
        const uint32_t at = damagedAt[owner - jobs.begin()];
        EXPECT_THAT(line, AnyOf(Not(HasSubstr("error at")), EndsWith(JournalLine("", at))));
    }
}

} // namespace
} // namespace tqxml
