// tqxml [OPTIONS] JOB...: converts survey job files into XML documents, or
// reports on them with --info. `tqxml --help` lists the options.
#include "console.h"
#include "info.h"
#include "options.h"
#include "progress.h"
#include "runner.h"
#include "spooled_job.h"

#include <csignal>
#include <list>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace tqxml::tool;
    GuardStandardStreams();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (parsed.exitNow) return *parsed.exitNow;
    Options options = parsed.options;

    Console console(!options.quiet && !options.info && ::isatty(STDERR_FILENO));
    InstallInterruptHandler();
    // A closed standard output shows as a failed write, handled in the open.
    std::signal(SIGPIPE, SIG_IGN);
    // Jobs that arrive through pipes are kept in files of their own until
    // the end of the run.
    std::list<SpooledJob> spooled;
    for (const std::string& job : options.jobs) {
        if (!IsPipedJob(job) || options.spooled.count(job)) continue;
        std::string error;
        if (!spooled.emplace_back().Spool(job, error)) {
            console.Line("tqxml: " + job + ": " + error);
            return InterruptRequested() ? InterruptedExitCode() : EXIT_JobUnreadable;
        }
        options.spooled[job] = spooled.back().Path();
    }
    if (options.info) return RunInfo(options, console);

    std::string error;
    const auto plan = PlanConversions(options, error);
    if (!plan) {
        console.Line("tqxml: " + error);
        return EXIT_Usage;
    }
    return RunConversions(*plan, options, console);
}
