// The peer of the conversion benchmark: how long the XML library saves the
// very document tqxml wrote. The document is loaded first, untimed; the save
// goes, with four-space indentation, into a writer that only counts bytes.
// Prints the best of three saves in seconds and the bytes saved.
//
//   bench_peer_save DOCUMENT.xml
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

struct CountingWriter final : pugi::xml_writer {
    size_t bytes = 0;
    void write(const void*, size_t size) override { bytes += size; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DOCUMENT.xml\n", argv[0]);
        return 2;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result loaded = document.load_file(argv[1]);
    if (!loaded) {
        std::fprintf(stderr, "%s: %s\n", argv[1], loaded.description());
        return 1;
    }
    double best = 1e9;
    size_t bytes = 0;
    for (int run = 0; run < 3; ++run) {
        CountingWriter writer;
        const auto start = std::chrono::steady_clock::now();
        document.save(writer, "    ", pugi::format_default, pugi::encoding_utf8);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        bytes = writer.bytes;
    }
    std::printf("%.4f %zu\n", best, bytes);
    return 0;
}
