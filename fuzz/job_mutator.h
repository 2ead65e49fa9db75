// A mutator that knows the job file's framing: it picks an entry and
// mutates its record, its action, its target or its flags, or moves whole
// entries, then frames and signs every entry again. Random bytes almost
// never carry a valid checksum; mutations made this way reach the record
// decoders and the journal's rules instead of stopping at the first entry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tqxml::fuzz {

// Signs every entry that frames correctly with its checksum; leaves the
// rest as it is.
void SignEntries(uint8_t* job, size_t size);

// libFuzzer's custom mutator, for both targets.
size_t MutateJob(uint8_t* data, size_t size, size_t maxSize, unsigned int seed);

} // namespace tqxml::fuzz
