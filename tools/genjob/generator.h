// Writes job files through the library's journal writer: seeded synthetic
// jobs that mix every record type the document writes with notes, inserts,
// replaces, deletes, measurements and modifier records; and the bundled
// sample job. The same arguments always give the same bytes.
#pragma once

#include "text/str.h"

#include <cstdint>
#include <vector>

namespace tqxml::genjob {

// A job whose chain holds `records` records (at least the four job-level
// records it always starts with).
bool WriteGeneratedJob(const Str& path, uint64_t records, uint64_t seed);

// A job of the given record types, each as one record of survey-like values
// and two of edge values: the golden jobs of the tests.
bool WriteGoldenJob(const Str& path, const std::vector<uint32_t>& types, uint64_t seed);

// The short sample job bundled with the sources.
bool WriteSampleJob(const Str& path);

} // namespace tqxml::genjob
