// The command line of tqxml: what to convert, where the documents go, how
// many conversions run at once and how much is said on standard error.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tqxml::tool {

// Exit codes of the command; 0, 1 and 3 to 5 are the conversion statuses.
enum ExitCode : int {
    EXIT_Done = 0,
    EXIT_Stopped = 1,
    EXIT_Usage = 2,
    EXIT_JobMissing = 3,
    EXIT_JobUnreadable = 4,
    EXIT_OutputFailed = 5,
    EXIT_WriteFailed = 6, // the document was created but could not be written completely
    // A run stopped by a signal exits with 128 + the signal (130 for Ctrl-C).
    EXIT_BrokenPipe = 141, // standard output closed early (tqxml job | head), as SIGPIPE gives
};

struct Options {
    std::vector<std::string> jobs;
    std::string output;    // -o: one job's document; empty or "-" for standard output
    std::string outputDir; // --output-dir: where NAME.xml goes instead of beside NAME.job
    unsigned parallel = 1; // -j
    bool info = false;
    bool quiet = false;
    bool verbose = false;
    bool salvage = false; // --salvage: go on past damaged entries
    std::string textEncoding; // --text-encoding: transcode the texts from this code page
    // Where each job read as a pipe ("-", a FIFO) was kept, once read.
    std::map<std::string, std::string> spooled;
};

// The job named "-" is standard input.
inline constexpr char kStandardInputJob[] = "-";

// The file to read for `job`: the kept copy of a job read as a pipe.
inline const std::string& SourceOf(const Options& options, const std::string& job) {
    const auto it = options.spooled.find(job);
    return it == options.spooled.end() ? job : it->second;
}

// Where the document of one job goes: a file path, or standard output.
struct Conversion {
    std::string job;
    std::string output;
    bool toStandardOutput = false;
};

struct ParsedCommandLine {
    Options options;
    // Set when the command is over after parsing: --help, --version (0) or a
    // usage error (2), the text already printed.
    std::optional<int> exitNow;
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The output of each job, in command-line order. A usage error (two jobs
// that would write the same document, or a document that would replace its
// own job) returns nothing and sets `error` to the one-line reason.
std::optional<std::vector<Conversion>> PlanConversions(const Options& options, std::string& error);

// NAME.job -> NAME.xml, beside the job or inside `directory` when given.
std::string DocumentPathFor(const std::string& job, const std::string& directory);

} // namespace tqxml::tool
