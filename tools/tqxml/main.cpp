// tqxml [OPTIONS] JOB...: converts survey job files into XML documents, or
// reports on them with --info. `tqxml --help` lists the options.
#include "console.h"
#include "info.h"
#include "options.h"
#include "progress.h"
#include "runner.h"
#include "stdin_job.h"

#include <algorithm>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace tqxml::tool;
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (parsed.exitNow) return *parsed.exitNow;
    Options options = parsed.options;

    Console console(!options.quiet && !options.info && ::isatty(STDERR_FILENO));
    InstallInterruptHandler();
    // Standard input is kept in a file of its own until the end of the run.
    StandardInputJob standardInput;
    if (std::find(options.jobs.begin(), options.jobs.end(), kStandardInputJob) !=
        options.jobs.end()) {
        std::string error;
        if (!standardInput.Spool(error)) {
            console.Line(std::string("tqxml: -: ") + error);
            return InterruptRequested() ? EXIT_Interrupted : EXIT_JobUnreadable;
        }
        options.stdinSource = standardInput.Path();
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
