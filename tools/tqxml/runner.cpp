#include "runner.h"

#include "diagnostics.h"
#include "info.h"
#include "progress.h"

#include "convert/export.h"

#include <tqxml/tqxml.h>

#include <algorithm>
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

// The export says only that the document could not be created; look at the
// place to say why, where that is plain.
std::string OutputProblem(const std::string& output) {
    std::error_code ec;
    if (fs::is_directory(output, ec)) return "cannot create the document: it is a directory";
    fs::path parent = fs::path(output).parent_path();
    if (parent.empty()) parent = ".";
    if (fs::exists(parent, ec) && ::access(parent.c_str(), W_OK) != 0)
        return std::string("cannot create the document: ") + std::strerror(errno);
    return "cannot create the document";
}

void ReportOutcome(unsigned status, const Conversion& conversion, const JobDiagnostics& diagnostics,
                   const Options& options, Console& console) {
    const std::string& job = conversion.job;
    switch (status) {
    case TQXML_Done:
        if (diagnostics.LogLines() > 0 && !options.verbose && !options.quiet)
            console.Error(job, "warning: the journal is damaged or incomplete; the document holds "
                               "what could be read (--info or --verbose tells more)");
        break;
    case TQXML_Stopped:
        console.Error(job, conversion.toStandardOutput
                               ? "interrupted; the document is cut off"
                               : "interrupted; " + conversion.output + " is cut off");
        break;
    case TQXML_JobMissing:
        console.Error(job, "no such job file");
        break;
    case TQXML_JobUnreadable:
        console.Error(job, DescribeOpenFailure(SourceOf(options, job)));
        break;
    case TQXML_OutputFailed:
        console.Error(conversion.output, OutputProblem(conversion.output));
        break;
    default:
        console.Error(job, "conversion failed with status " + std::to_string(status));
        break;
    }
}

// One complete conversion on the calling thread, reporting to its own sink.
unsigned ConvertOne(const Conversion& conversion, JobProgress& progress, const Options& options,
                    Console& console) {
    JobDiagnostics diagnostics(console, conversion.job, options.verbose);
    unsigned status;
    {
        const ScopedThreadEnvironment scope(&diagnostics);
        SetCurrentJob(&progress);
        const bool fromStandardInput = conversion.job == kStandardInputJob;
        status = ConvertJobFile(SourceOf(options, conversion.job).c_str(),
                                conversion.toStandardOutput ? "STDOUT$" : conversion.output.c_str(),
                                &OnRecordWritten, fromStandardInput ? kStandardInputJob : nullptr);
        SetCurrentJob(nullptr);
    }
    ReportOutcome(status, conversion, diagnostics, options, console);
    return status;
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
    std::vector<unsigned> statuses(plan.size(), TQXML_Done);
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable allDone;
    const size_t threads = std::min<size_t>(std::max(options.parallel, 1u), plan.size());
    size_t running = threads;

    auto work = [&] {
        while (!InterruptRequested()) {
            const size_t index = next.fetch_add(1, std::memory_order_relaxed);
            if (index >= plan.size()) break;
            statuses[index] = ConvertOne(plan[index], board.Job(index), options, console);
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

    if (InterruptRequested()) return EXIT_Interrupted;
    for (unsigned status : statuses)
        if (status != TQXML_Done) return static_cast<int>(status);
    return EXIT_Done;
}

} // namespace tqxml::tool
