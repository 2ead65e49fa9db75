// Whole conversions of generated jobs of 10,000, 100,000 and 1,000,000
// records, job file to document file, through the export. Reports records
// per second and bytes of XML per second; bench/convert.sh adds the tool's
// whole-process time and peak memory.
#include "generator.h"

#include <tqxml/tqxml.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ScratchPath(const char* stem, int64_t records, const char* extension) {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tqxml-bench-" + std::to_string(getpid()) +
           "-" + stem + "-" + std::to_string(records) + extension;
}

// One generated job per size, written on first use and removed at exit.
const std::string& JobOf(int64_t records) {
    static std::map<int64_t, std::string> jobs;
    static struct Cleanup {
        ~Cleanup() {
            for (auto& [size, path] : jobs)
                std::remove(path.c_str());
        }
    } cleanup;
    auto found = jobs.find(records);
    if (found != jobs.end()) return found->second;
    std::string path = ScratchPath("job", records, ".job");
    tqxml::genjob::WriteGeneratedJob(tqxml::Str(path.c_str()), static_cast<uint64_t>(records), 42);
    return jobs.emplace(records, std::move(path)).first->second;
}

int64_t FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

void BM_ConvertJob(benchmark::State& state) {
    const int64_t records = state.range(0);
    const std::string& job = JobOf(records);
    const std::string xml = ScratchPath("out", records, ".xml");
    int64_t bytes = 0;
    for (auto _ : state) {
        const unsigned status = CreateTQXMLFile(job.c_str(), xml.c_str(), nullptr);
        if (status != 0) state.SkipWithError("conversion failed");
        bytes = FileSize(xml);
    }
    std::remove(xml.c_str());
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(records * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["job_MB"] = static_cast<double>(FileSize(job)) / 1e6;
    state.counters["xml_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ConvertJob)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
