// Converting jobs: each job through the export, up to -j at a time, each a
// complete conversion on its own thread with its own diagnostics.
#pragma once

#include "console.h"
#include "options.h"

#include <vector>

namespace tqxml::tool {

// Returns the exit code: 0, the first non-zero status in the order of
// `plan`, or 130 when Ctrl-C stopped the run.
int RunConversions(const std::vector<Conversion>& plan, const Options& options, Console& console);

} // namespace tqxml::tool
