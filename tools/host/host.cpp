// tqxml-host: loads the library the way its Windows host does (LoadLibrary,
// GetProcAddress; dlopen and dlsym elsewhere), converts the jobs given on the
// command line and reports each status on standard error:
//
//   tqxml-host [--library PATH] [--stop-after N] JOB XML [JOB XML ...]
//
// --stop-after N makes the progress callback ask to stop on its N-th call in
// each conversion. Each report names the job as the host passed it, bytes
// outside printable ASCII as \xNN, so that a run shows the code page it used.
#include <tqxml/tqxml.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

using CreateFunction = unsigned int(TQXML_CALL*)(const char*, const char*, TQXMLProgressCallback);

#ifdef _WIN32
constexpr const char* kDefaultLibrary = "tqxml.dll";

CreateFunction LoadExport(const char* library) {
    const HMODULE module = LoadLibraryA(library);
    if (!module) return nullptr;
    const FARPROC proc = GetProcAddress(module, "CreateTQXMLFile");
    // Through a plain function pointer: the export's true type is not FARPROC's.
    return reinterpret_cast<CreateFunction>(reinterpret_cast<void (*)()>(proc));
}
#else
constexpr const char* kDefaultLibrary = "libtqxml.so";

CreateFunction LoadExport(const char* library) {
    void* module = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!module) return nullptr;
    return reinterpret_cast<CreateFunction>(::dlsym(module, "CreateTQXMLFile"));
}
#endif

// What the callback saw during one conversion.
struct Progress {
    long stopAfter = 0; // 0: never ask to stop
    long calls = 0;
    int lastPercent = -1;
};
Progress g_progress;

unsigned char TQXML_CALL OnProgress(int percent) {
    ++g_progress.calls;
    g_progress.lastPercent = percent;
    return g_progress.stopAfter > 0 && g_progress.calls >= g_progress.stopAfter ? 0 : 1;
}

std::string Escaped(const char* text) {
    std::string out;
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p >= 0x20 && *p < 0x7F && *p != '\\') {
            out += static_cast<char>(*p);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", *p);
            out += hex;
        }
    }
    return out;
}

int Usage() {
    std::fprintf(stderr, "usage: tqxml-host [--library PATH] [--stop-after N] JOB XML...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const char* library = kDefaultLibrary;
    int arg = 1;
    for (; arg + 1 < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2) {
        if (std::strcmp(argv[arg], "--library") == 0)
            library = argv[arg + 1];
        else if (std::strcmp(argv[arg], "--stop-after") == 0)
            g_progress.stopAfter = std::strtol(argv[arg + 1], nullptr, 10);
        else
            return Usage();
    }
    if (arg >= argc || (argc - arg) % 2 != 0) return Usage();

    const CreateFunction create = LoadExport(library);
    if (!create) {
        std::fprintf(stderr, "tqxml-host: cannot load CreateTQXMLFile from %s\n", library);
        return 2;
    }
    for (; arg < argc; arg += 2) {
        g_progress.calls = 0;
        g_progress.lastPercent = -1;
        const unsigned status = create(argv[arg], argv[arg + 1], OnProgress);
        std::fprintf(stderr, "%s: status %u after %ld progress calls (last %d)\n",
                     Escaped(argv[arg]).c_str(), status, g_progress.calls,
                     g_progress.lastPercent);
    }
    return 0;
}
