#include "options.h"

#include "convert/schema.h"
#include "convert/transcode.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>

#ifndef TQXML_VERSION
#define TQXML_VERSION "unknown"
#endif

namespace tqxml::tool {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDescription =
    "Converts survey job files into XML documents. With one job the document goes to "
    "standard output or to -o FILE; with several, each NAME.job becomes NAME.xml beside "
    "it (or in --output-dir), converted in parallel.";

constexpr const char* kExamples = R"(Examples:
  tqxml survey.job > survey.xml         one job to standard output
  tqxml -o survey.xml survey.job        one job to a file
  tqxml jobs/*.job                      every job in a folder, NAME.xml beside NAME.job
  tqxml -j 4 --output-dir xml jobs/*.job
                                        four at a time, the documents in xml/
  curl -s URL | tqxml - > survey.xml    a job arriving on standard input
  tqxml --text-encoding CP1252 survey.job | xmllint --noout -
                                        a document for a strict XML parser
  tqxml --info survey.job               what the journal holds and where it stopped
  tqxml --verbose -o /dev/null survey.job
                                        the journal's diagnostics (CRC errors, repairs)
  tqxml --salvage -o rescued.xml damaged.job
                                        the records behind damaged entries too

A job may be "-" (standard input), a FIFO or a shell's <(command): it is read
to its end first. Exit status: 0 done, 1 stopped, 2 usage error, 3 job missing,
4 job cannot be opened, 5 output cannot be created, 6 output could not be
written completely (the incomplete file is removed), 128 + the signal when
interrupted (130 Ctrl-C, 143 SIGTERM), 141 standard output closed early. With several jobs, the first non-zero status
in the order given.)";

unsigned DefaultParallelism() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

// The same file for the purpose of "would overwrite": both paths resolved as
// far as they exist.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    const fs::path left = fs::weakly_canonical(a, ec);
    if (ec) return false;
    const fs::path right = fs::weakly_canonical(b, ec);
    return !ec && left == right;
}

std::string NormalForm(const std::string& path) {
    std::error_code ec;
    fs::path normal = fs::weakly_canonical(path, ec);
    if (ec) normal = fs::path(path).lexically_normal();
    return normal.string();
}

} // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    Options& options = parsed.options;
    options.parallel = DefaultParallelism();

    CLI::App app{kDescription, "tqxml"};
    app.footer(kExamples);
    app.set_version_flag("--version", std::string("tqxml ") + TQXML_VERSION,
                         "Print the version and exit");
    app.add_option("JOB", options.jobs, "Job files to convert (\"-\": standard input)")
        ->required()
        ->type_name("JOB");
    CLI::Option* output =
        app.add_option("-o,--output", options.output,
                       "Write the document of the one job to FILE (\"-\": standard output)")
            ->type_name("FILE");
    CLI::Option* outputDir =
        app.add_option("--output-dir", options.outputDir, "Write each NAME.xml into DIR")
            ->type_name("DIR");
    app.add_option("-j,--jobs", options.parallel,
                   "Convert up to N jobs at once (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));
    CLI::Option* info =
        app.add_flag("--info", options.info,
                     "Report on each job's header, journal and records instead of converting it");
    CLI::Option* quiet =
        app.add_flag("-q,--quiet", options.quiet, "No progress bar and no warnings; errors only");
    app.add_option("--text-encoding", options.textEncoding,
                   "Write a document any XML parser accepts: the job's texts transcoded from "
                   "code page NAME (for example CP1252) into UTF-8, and control characters "
                   "XML 1.0 forbids replaced")
        ->type_name("NAME")
        ->check([](const std::string& name) {
            return IsKnownTextEncoding(name) ? std::string() : "no such code page: " + name;
        });
    app.add_flag("--salvage", options.salvage,
                 "Go on past damaged entries of the journal at the next place it can be "
                 "trusted, and convert the records found there too; the document says where "
                 "it was salvaged");
    CLI::Option* verbose = app.add_flag(
        "-v,--verbose", options.verbose,
        "Print the journal's diagnostics and internal checks, prefixed by the job name");
    // The document's contract, printed at once whatever else is given.
    const auto printing = [&](std::string (*text)()) {
        return [&parsed, text](std::int64_t) {
            std::fputs(text().c_str(), stdout);
            parsed.exitNow = std::fflush(stdout) == 0 && !std::ferror(stdout) ? EXIT_Done
                                                                              : EXIT_WriteFailed;
            throw CLI::Success();
        };
    };
    app.add_flag_function("--schema", printing(&DocumentSchema),
                          "Print the XML Schema (XSD 1.0) of the document and exit")
        ->trigger_on_parse();
    app.add_flag_function("--reference", printing(&DocumentReference),
                          "Print the reference of the document (Markdown) and exit")
        ->trigger_on_parse();
    output->excludes(outputDir);
    info->excludes(output)->excludes(outputDir);
    quiet->excludes(verbose);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            // --help or --version, on standard output; --schema, printed.
            if (!parsed.exitNow) parsed.exitNow = app.exit(error);
            return parsed;
        }
        std::fprintf(stderr, "tqxml: %s (see tqxml --help)\n", error.what());
        parsed.exitNow = EXIT_Usage;
        return parsed;
    }
    const bool readsStandardInput =
        std::find(options.jobs.begin(), options.jobs.end(), kStandardInputJob) != options.jobs.end();
    if (readsStandardInput && (options.jobs.size() > 1 || !options.outputDir.empty())) {
        std::fprintf(stderr, "tqxml: standard input (-) is converted on its own, to standard "
                             "output or -o FILE (see tqxml --help)\n");
        parsed.exitNow = EXIT_Usage;
        return parsed;
    }
    if (options.jobs.size() > 1 && !options.output.empty()) {
        std::fprintf(stderr,
                     "tqxml: -o names the document of one job; with %zu jobs use "
                     "--output-dir (see tqxml --help)\n",
                     options.jobs.size());
        parsed.exitNow = EXIT_Usage;
    }
    return parsed;
}

std::string DocumentPathFor(const std::string& job, const std::string& directory) {
    fs::path path(job);
    if (directory.empty()) return path.replace_extension(".xml").string();
    fs::path name = path.filename();
    return (fs::path(directory) / name.replace_extension(".xml")).string();
}

std::optional<std::vector<Conversion>> PlanConversions(const Options& options, std::string& error) {
    std::vector<Conversion> plan;
    std::map<std::string, const std::string*> jobOfDocument;
    for (const std::string& job : options.jobs) {
        Conversion conversion{job, {}, false};
        if (options.jobs.size() == 1 && options.outputDir.empty()) {
            conversion.toStandardOutput = options.output.empty() || options.output == "-";
            if (!conversion.toStandardOutput) conversion.output = options.output;
        } else {
            conversion.output = DocumentPathFor(job, options.outputDir);
        }
        if (!conversion.toStandardOutput) {
            if (SameFile(job, conversion.output)) {
                error = conversion.output + ": the document would replace its own job file";
                return std::nullopt;
            }
            auto [it, added] = jobOfDocument.emplace(NormalForm(conversion.output), &job);
            if (!added) {
                error = conversion.output + ": both " + *it->second + " and " + job +
                        " would be written here";
                return std::nullopt;
            }
        }
        plan.push_back(std::move(conversion));
    }
    return plan;
}

} // namespace tqxml::tool
