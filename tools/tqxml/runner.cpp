#include "runner.h"

#include "diagnostics.h"
#include "options.h"
#include "progress.h"
#include "temporary_file.h"

#include "convert/export.h"
#include "convert/job_report.h"
#include "convert/output_failure.h"
#include "convert/transcode.h"
#include "platform/file.h"
#include "text/unistr.h"

#include <tqxml/tqxml.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace tqxml::tool {
namespace {

namespace fs = std::filesystem;

// A document that could not be written completely: said once, and a file
// holding only part of it is removed.
int ReportWriteFailure(const Conversion& conversion, uint32_t error, Console& console) {
    if (conversion.toStandardOutput && error == EPIPE) return EXIT_BrokenPipe; // quietly
    if (conversion.toStandardOutput)
        console.Error("standard output", std::string(std::strerror(static_cast<int>(error))) +
                                             "; the document is incomplete");
    else
        console.Error(conversion.output, DiscardIncompleteDocument(conversion.output, error));
    return EXIT_WriteFailed;
}

int ReportOutcome(unsigned status, const ConversionReport& report, const Conversion& conversion,
                  const JobDiagnostics& diagnostics, const Options& options, Console& console) {
    const std::string& job = conversion.job;
    if (report.writeFailed && status != TQXML_Stopped)
        return ReportWriteFailure(conversion, report.outputError, console);
    // A salvaged job tells each gap, instead of the warning of damage.
    if (!options.quiet && (status == TQXML_Done || status == TQXML_Stopped))
        for (const dbJournal_Gap& gap : report.gaps)
            console.Error(job, "salvaged: " + GapText(gap, report.jobSize));
    switch (status) {
    case TQXML_Done:
        if (report.gaps.empty() && diagnostics.LogLines() > 0 && !options.verbose &&
            !options.quiet)
            console.Error(job, "warning: the journal is damaged or incomplete; the document holds "
                               "what could be read (--info or --verbose tells more)");
        return EXIT_Done;
    case TQXML_Stopped:
        console.Error(job, conversion.toStandardOutput
                               ? "interrupted; the document is cut off"
                               : "interrupted; " + conversion.output + " is cut off");
        return EXIT_Stopped;
    case TQXML_JobMissing:
        console.Error(job, "no such job file");
        return EXIT_JobMissing;
    case TQXML_JobUnreadable:
        console.Error(job, DescribeOpenFailure(SourceOf(options, job)));
        return EXIT_JobUnreadable;
    case TQXML_OutputFailed:
        console.Error(conversion.output,
                      DescribeOutputFailure(conversion.output, report.outputError));
        return EXIT_OutputFailed;
    default:
        console.Error(job, "conversion failed with status " + std::to_string(status));
        return static_cast<int>(status);
    }
}

// The document of a conversion with --text-encoding: written by the library
// into a private temporary file, then transcoded into the real output, which
// takes the place of an earlier file or link of its name as the library's
// own output does (a device or a FIFO is written to).
class TranscodedOutput {
public:
    TranscodedOutput() {
        const int fd = file_.Create("document", ".xml", problem_);
        if (fd >= 0) ::close(fd);
    }
    // Empty when no temporary file could be made; `Problem` says why.
    const std::string& Path() const { return file_.Path(); }
    const std::string& Problem() const { return problem_; }

    // Transcodes what the library wrote: TQXML_Done, TQXML_Stopped when a
    // signal stopped it, TQXML_OutputFailed when the output cannot be made
    // (with the reason in the report, which also takes a failed write).
    unsigned Finish(const Conversion& conversion, const std::string& encoding,
                    ConversionReport& report) {
        file_Class output(conversion.toStandardOutput ? Str("STDOUT$")
                                                      : HostToUtf8(conversion.output.c_str()));
        const bool opened = conversion.toStandardOutput ? output.Open(file_Class::ModeWrite)
                                                        : output.Replace();
        if (!opened) {
            report.outputError = output.LastError();
            return TQXML_OutputFailed;
        }
        return TranscodeIntoFile(Path(), output, encoding, &InterruptRequested, report);
    }

private:
    TemporaryFile file_;
    std::string problem_;
};

// One complete conversion on the calling thread, reporting to its own sink;
// its exit code.
int ConvertOne(const Conversion& conversion, JobProgress& progress, const Options& options,
               bool secondThread, Console& console) {
    JobDiagnostics diagnostics(console, conversion.job, options.verbose);
    unsigned status;
    ConversionReport report;
    {
        const ScopedThreadEnvironment scope(&diagnostics);
        SetCurrentJob(&progress);
        ConversionOptions choices;
        choices.documentJobName = conversion.job.c_str();
        choices.stopOnWriteFailure = true;
        choices.readingProgress = &OnJournalRead;
        choices.secondThread = secondThread;
        choices.salvage = options.salvage;
        const bool transcoding = !options.textEncoding.empty();
        std::optional<TranscodedOutput> transcoded;
        if (transcoding && transcoded.emplace().Path().empty()) {
            SetCurrentJob(nullptr);
            console.Error(conversion.toStandardOutput ? "standard output" : conversion.output,
                          transcoded->Problem());
            return EXIT_OutputFailed;
        }
        // The library's name for standard output is a file's name here.
        const std::string destination = transcoding                      ? transcoded->Path()
                                        : conversion.output == "STDOUT$" ? "./STDOUT$"
                                                                         : conversion.output;
        status = ConvertJobFile(SourceOf(options, conversion.job).c_str(),
                                transcoding || !conversion.toStandardOutput ? destination.c_str()
                                                                            : "STDOUT$",
                                &OnRecordWritten, choices, &report);
        if (transcoding && (status == TQXML_Done || status == TQXML_Stopped) &&
            !report.writeFailed) {
            const unsigned finished = transcoded->Finish(conversion, options.textEncoding, report);
            if (finished != TQXML_Done) status = finished;
        }
        progress.readingPercent.store(-1, std::memory_order_relaxed);
        SetCurrentJob(nullptr);
    }
    return ReportOutcome(status, report, conversion, diagnostics, options, console);
}

} // namespace

int RunConversions(const std::vector<Conversion>& plan, const Options& options, Console& console) {
    if (!options.outputDir.empty()) {
        std::error_code ec;
        fs::create_directories(options.outputDir, ec);
        if (ec) {
            console.Error(options.outputDir, "cannot create the directory: " + ec.message());
            return EXIT_OutputFailed;
        }
    }

    ProgressBoard board(plan.size(), plan.size() == 1 ? plan.front().job : std::string());
    constexpr int kNotRun = -1;
    std::vector<int> codes(plan.size(), kNotRun);
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable allDone;
    const size_t threads = std::min<size_t>(std::max(options.parallel, 1u), plan.size());
    size_t running = threads;
    // A single job takes a second thread where a core is free for it; jobs
    // converted in turn or at once (-j) take a thread each.
    const bool secondThread = plan.size() == 1 && std::thread::hardware_concurrency() >= 2;

    auto work = [&] {
        while (!InterruptRequested()) {
            const size_t index = next.fetch_add(1, std::memory_order_relaxed);
            if (index >= plan.size()) break;
            codes[index] =
                ConvertOne(plan[index], board.Job(index), options, secondThread, console);
            board.JobFinished();
        }
        const std::lock_guard lock(mutex);
        if (--running == 0) allDone.notify_all();
    };
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (size_t i = 0; i < threads; ++i)
        workers.emplace_back(work);

    if (console.ShowsProgress()) {
        // A conversion over in a moment shows no bar at all.
        using namespace std::chrono_literals;
        const auto firstDraw = std::chrono::steady_clock::now() + 300ms;
        std::unique_lock lock(mutex);
        while (!allDone.wait_for(lock, 100ms, [&] { return running == 0; })) {
            if (std::chrono::steady_clock::now() < firstDraw) continue;
            lock.unlock();
            console.Status(board.Render(TerminalWidth()));
            lock.lock();
        }
    }
    for (std::thread& worker : workers)
        worker.join();
    console.ClearStatus();

    // One truth at the end: a signal that came after every conversion was
    // complete changes nothing; one that stopped a conversion or kept jobs
    // from starting is exit 128 + the signal, each said on its own line.
    const auto notRun = static_cast<size_t>(std::count(codes.begin(), codes.end(), kNotRun));
    if (notRun > 0)
        console.Line("tqxml: interrupted; " + std::to_string(notRun) + " of " +
                     std::to_string(plan.size()) + " jobs not converted");
    if (notRun > 0 || std::count(codes.begin(), codes.end(), int{EXIT_Stopped}) > 0)
        return InterruptedExitCode();
    for (int code : codes)
        if (code != EXIT_Done) return code;
    return EXIT_Done;
}

} // namespace tqxml::tool
