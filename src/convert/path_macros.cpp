#include "convert/path_macros.h"

#include "text/strarray.h"

#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace tqxml {
namespace {

std::mutex g_macroLock;
StrArray& Keys() {
    static StrArray keys;
    return keys;
}
StrArray& Values() {
    static StrArray values;
    return values;
}

Str Key(const char* name) {
    Str key("$(");
    key.Append(name);
    key.Append(')');
    return key;
}

Str CurrentDirectory() {
    char path[4096];
    return getcwd(path, sizeof path) ? Str(path) : Str();
}

Str TempDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    return Str(tmp && *tmp ? tmp : "/tmp");
}

} // namespace

void RegisterPathMacro(const char* name, const Str& value) {
    Str trimmed(value);
    while (trimmed.Length() > 0 && (trimmed.CStr()[trimmed.Length() - 1] == '\\' ||
                                    trimmed.CStr()[trimmed.Length() - 1] == '/'))
        trimmed.Truncate(trimmed.Length() - 1);
    const Str key = Key(name);
    std::lock_guard<std::mutex> lock(g_macroLock);
    const int32_t index = Keys().IndexOf(key.CStr());
    if (index >= 0) {
        Values().At(index) = trimmed;
    } else {
        Keys().Add(key);
        Values().Add(trimmed);
    }
}

Str PathMacroValue(const char* name) {
    const Str key = Key(name);
    std::lock_guard<std::mutex> lock(g_macroLock);
    const int32_t index = Keys().IndexOf(key.CStr());
    return index >= 0 ? Values().Get(index) : Str();
}

void RegisterLibraryPathMacros() {
    // On this platform the library's directories are the working directory
    // and the temporary directory; there is no system or ROM folder.
    const Str cwd = CurrentDirectory();
    const Str tmp = TempDirectory();
    RegisterPathMacro("Project", Str());
    RegisterPathMacro("Export", Str("Export"));
    RegisterPathMacro("Language", Str());
    RegisterPathMacro("ProjectRootDir", cwd);
    RegisterPathMacro("LocaleRootDir", cwd);
    RegisterPathMacro("ThrashDataDir", tmp);
    RegisterPathMacro("TempDir", tmp);
    RegisterPathMacro("SystemDir", cwd);
    RegisterPathMacro("EmailDir", tmp);
    RegisterPathMacro("SystemDir", cwd);
    RegisterPathMacro("SharedDir", cwd);
    RegisterPathMacro("ROMDir", Str("r:\\"));
}

} // namespace tqxml
