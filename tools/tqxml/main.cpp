// tqxml [OPTIONS] JOB...: converts survey job files into XML documents, or
// reports on them with --info. `tqxml --help` lists the options.
#include "console.h"
#include "info.h"
#include "options.h"
#include "progress.h"
#include "runner.h"

#include <unistd.h>

int main(int argc, char** argv) {
    using namespace tqxml::tool;
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (parsed.exitNow) return *parsed.exitNow;
    const Options& options = parsed.options;

    Console console(!options.quiet && !options.info && ::isatty(STDERR_FILENO));
    if (options.info) return RunInfo(options, console);

    std::string error;
    const auto plan = PlanConversions(options, error);
    if (!plan) {
        console.Line("tqxml: " + error);
        return EXIT_Usage;
    }
    InstallInterruptHandler();
    return RunConversions(*plan, options, console);
}
