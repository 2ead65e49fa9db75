// The export as a host calls it: arbitrary bytes as a job file on disk, the
// document to a real file or to standard output ("STDOUT$", sent to
// /dev/null here), and a progress callback that stops the run after a number
// of records taken from the input. Besides the conversion, this reaches the
// export's paths, its output file, cancellation and the flush of what was
// written before it.
//
// The last two bytes of an input choose: the output form (bit 0 of the
// last), salvage past damaged entries (bit 1 of the last: the conversion
// with that option instead of the export), and after how many records the
// callback stops (0: never). The
// mutator below keeps entries framed and signed (random bytes almost never
// carry a valid checksum, so its inputs reach the record decoders and the
// journal's rules instead of stopping at the first entry); an input from
// elsewhere (a seed, a crash file) has every entry it frames signed when the
// header's reserved byte (offset 44, never compared) is odd.
#include "convert/export.h"
#include "db/entry_format.h"
#include "records/record.h"

#include <tqxml/tqxml.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

using namespace tqxml;

// An entry's bytes after its length field, checksum included.
using Entry = std::vector<uint8_t>;

// The entries that frame correctly, in order; `tail` keeps whatever follows.
std::vector<Entry> Split(const uint8_t* data, size_t size, std::vector<uint8_t>& tail) {
    std::vector<Entry> entries;
    const size_t end = WalkEntries(data, size, [&](size_t, const uint8_t* entry, uint32_t length) {
        entries.emplace_back(entry, entry + length);
    });
    if (end < size) tail.assign(data + end, data + size);
    return entries;
}

// Signs every entry that frames correctly with its checksum; leaves the
// rest as it is.
void SignEntries(uint8_t* job, size_t size) {
    WalkEntries(job, size, [](size_t, uint8_t* entry, uint32_t length) { SignEntry(entry, length); });
}

// Header, entries (length, bytes with a fresh checksum), tail; 0 when it
// does not fit.
size_t Join(uint8_t* data, size_t maxSize, const std::vector<uint8_t>& header,
            const std::vector<Entry>& entries, const std::vector<uint8_t>& tail) {
    size_t total = header.size() + tail.size();
    for (const Entry& e : entries)
        total += 4 + e.size();
    if (total > maxSize) return 0;
    std::memcpy(data, header.data(), header.size());
    size_t at = header.size();
    for (const Entry& e : entries) {
        EntryStore32(data + at, static_cast<uint32_t>(e.size()));
        std::memcpy(data + at + 4, e.data(), e.size());
        at += 4 + e.size();
    }
    if (!tail.empty()) std::memcpy(data + at, tail.data(), tail.size());
    SignEntries(data, total);
    return total;
}

// Mutates the record of `entry` with libFuzzer's own byte mutations,
// keeping the entry's frame and room for the checksum.
void MutateRecord(Entry& entry, std::mt19937& random) {
    if (entry.size() < ENTRY_RecordAt + 2) return;
    std::vector<uint8_t> record(entry.begin() + ENTRY_RecordAt, entry.end() - 2);
    const size_t room = std::min<size_t>(record.size() * 2 + 64, JOURNAL_MaxEntryLength - ENTRY_RecordAt - 2);
    record.resize(room);
    const size_t used = LLVMFuzzerMutate(record.data(), entry.size() - ENTRY_RecordAt - 2, room);
    record.resize(std::max<size_t>(used, 1));
    if (random() % 4 == 0 && record.size() >= 2) { // keep a valid record type now and then
        const uint16_t type = static_cast<uint16_t>(random() % DATABASE_AllRecords);
        record[0] = static_cast<uint8_t>(type), record[1] = static_cast<uint8_t>(type >> 8);
    }
    Entry mutated(entry.begin(), entry.begin() + ENTRY_RecordAt);
    mutated.insert(mutated.end(), record.begin(), record.end());
    mutated.resize(mutated.size() + 2);
    entry = std::move(mutated);
}

// Picks an entry and mutates its record, action, target or flags, or moves
// whole entries, then frames and signs every entry again.
size_t MutateJob(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    std::mt19937 random(seed);
    // Plain bytes now and then, and for what has no header yet: the framing.
    if (random() % 8 == 0 || size < JOURNAL_JournalStart) return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<uint8_t> header(data, data + JOURNAL_JournalStart), tail;
    std::vector<Entry> entries = Split(data, size, tail);
    if (entries.empty()) return LLVMFuzzerMutate(data, size, maxSize);

    Entry& entry = entries[random() % entries.size()];
    switch (random() % 6) {
    case 0:
    case 1:
        MutateRecord(entry, random);
        break;
    case 2: // another action, mostly a known one
        entry[ENTRY_ActionAt] = static_cast<uint8_t>(0x30 + random() % 8);
        entry[ENTRY_ActionAt + 1] = 0x2A;
        break;
    case 3: // another target: near the entries' own identifiers, or anything
        EntryStore32(entry.data() + ENTRY_TargetAt, random() % 4 == 0 ? static_cast<uint32_t>(random())
                                                           : random() % (entries.size() + 3));
        break;
    case 4: // the first, last and discard flags
        entry[0] = static_cast<uint8_t>(random() % 8);
        break;
    default: { // a copy of an entry elsewhere, or an entry less
        const size_t from = random() % entries.size();
        if (random() % 2 && entries.size() > 1)
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(from));
        else
            entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(random() % entries.size()),
                           Entry(entries[from]));
        break;
    }
    }
    const size_t joined = Join(data, maxSize, header, entries, tail);
    return joined ? joined : LLVMFuzzerMutate(data, size, maxSize);
}

std::string ScratchPath(const char* suffix) {
    const char* directory = std::getenv("TMPDIR");
    return std::string(directory && *directory ? directory : "/tmp") + "/tqxml-export-fuzz-" +
           std::to_string(getpid()) + suffix;
}

int g_stopAfter = 0;
int g_calls = 0;

unsigned char TQXML_CALL Progress(int percent) {
    if (percent < 0 || percent > 100) __builtin_trap(); // the share done is a percentage
    return g_stopAfter == 0 || ++g_calls < g_stopAfter;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Documents sent to standard output go nowhere.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDOUT_FILENO), ::close(null);
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    return MutateJob(data, size, maxSize, seed);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool toStandardOutput = data[size - 1] & 1;
    const bool salvage = data[size - 1] & 2;
    g_stopAfter = data[size - 2];
    g_calls = 0;
    std::vector<uint8_t> job(data, data + size - 2);
    if (job.size() > 44 && (job[44] & 1)) SignEntries(job.data(), job.size());

    const std::string jobPath = ScratchPath(".job");
    const std::string xmlPath = ScratchPath(".xml");
    FILE* file = std::fopen(jobPath.c_str(), "wb");
    if (!file) return 0;
    if (!job.empty()) std::fwrite(job.data(), 1, job.size(), file);
    std::fclose(file);

    const char* output = toStandardOutput ? "STDOUT$" : xmlPath.c_str();
    tqxml::ConversionOptions options;
    options.salvage = true;
    const unsigned status = salvage ? tqxml::ConvertJobFile(jobPath.c_str(), output, Progress, options)
                                    : CreateTQXMLFile(jobPath.c_str(), output, Progress);
    // Nothing is left behind, however the run ends (-runs, -max_total_time, a merge).
    std::remove(jobPath.c_str());
    std::remove(xmlPath.c_str());
    if (status != TQXML_Done && status != TQXML_Stopped && status != TQXML_JobUnreadable)
        __builtin_trap(); // the job exists and the output can be made: nothing else is possible
    return 0;
}
