// tqxml --info: what a job file holds, read with the job database itself and
// without writing a document.
#pragma once

#include "console.h"
#include "options.h"

#include <cstdio>
#include <string>

namespace tqxml::tool {

// Reports on every job of `options` to standard output; returns 0, or the
// first of 3 (job missing) and 4 (job cannot be opened) in job order.
int RunInfo(const Options& options, Console& console);

} // namespace tqxml::tool
