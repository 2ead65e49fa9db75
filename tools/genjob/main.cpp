// tqxml-genjob: writes job files through the library's own journal writer.
//
//   tqxml-genjob --records 100000 --seed 7 big.job    a seeded synthetic job
//   tqxml-genjob --sample examples/sample.job          the bundled sample job
//   tqxml-genjob --golden 21,22,23 --seed 4 x.job      three records of each type
#include "generator.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    CLI::App app{"Writes survey job files for tests, benchmarks and the bundled sample."};
    uint64_t records = 1000;
    uint64_t seed = 1;
    bool sample = false;
    std::vector<uint32_t> golden;
    std::string output;
    app.add_option("--records", records, "records in the job's chain")
        ->check(CLI::Range(1ull, 50000000ull));
    app.add_option("--seed", seed, "seed of the generator: the same seed gives the same file");
    app.add_flag("--sample", sample, "write the bundled sample job instead");
    app.add_option("--golden", golden,
                   "write a golden job instead: these record types, each as one realistic "
                   "and two edge-valued records")
        ->delimiter(',')
        ->check(CLI::Range(0u, 143u))
        ->excludes("--sample");
    app.add_option("OUT", output, "job file to write")->required();
    CLI11_PARSE(app, argc, argv);

    const tqxml::Str path(output.c_str());
    const bool written = sample            ? tqxml::genjob::WriteSampleJob(path)
                         : !golden.empty() ? tqxml::genjob::WriteGoldenJob(path, golden, seed)
                                           : tqxml::genjob::WriteGeneratedJob(path, records, seed);
    if (!written) {
        std::fprintf(stderr, "tqxml-genjob: %s: cannot write the job file\n", output.c_str());
        return 1;
    }
    return 0;
}
