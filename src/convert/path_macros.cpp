#include "convert/path_macros.h"

#include "platform/system.h"
#include "text/strarray.h"

#include <mutex>

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

void RegisterLibraryPathMacros() {
    // The library's directories are the working directory and the temporary
    // directory; there is no system or ROM folder of its own.
    const Str cwd = CurrentDirectory();
    const Str tmp = TemporaryDirectory();
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
