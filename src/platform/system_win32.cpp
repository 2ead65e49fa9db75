// The system services of system.h over the Windows kernel: GetLocalTime and
// GetTickCount for the stamp of new records, and the working and temporary
// directories as UTF-8.
#include "platform/system.h"

#include "text/unistr.h"

#include <windows.h>

namespace tqxml {
namespace {

// A path of at most MAX_PATH units from one of the directory queries, which
// answer with its length, or 0 when they fail or the path does not fit.
template <class Query> Str QueryPath(Query query) {
    wchar_t path[MAX_PATH + 1];
    const DWORD length = query(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) return Str();
    return UniStr(std::u16string_view(reinterpret_cast<const char16_t*>(path), length)).ToUtf8();
}

} // namespace

LocalDateTime CurrentLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalDateTime result;
    result.year = now.wYear;
    result.month = now.wMonth;
    result.day = now.wDay;
    result.hour = now.wHour;
    result.minute = now.wMinute;
    result.second = now.wSecond;
    return result;
}

uint32_t MillisecondTicks() {
    return GetTickCount();
}

Str CurrentDirectory() {
    return QueryPath([](DWORD size, wchar_t* path) { return GetCurrentDirectoryW(size, path); });
}

Str TemporaryDirectory() {
    return QueryPath([](DWORD size, wchar_t* path) { return GetTempPathW(size, path); });
}

} // namespace tqxml
