// file_Class over the Windows kernel's file services. Names are held as UTF-8
// with "\" separators; the wide-character calls get them as 16-bit units.
#include "platform/file.h"

#include "base/environment.h"
#include "text/unistr.h"

#include <windows.h>

namespace tqxml {
namespace {

constexpr const char* kSourceName = "file_win32.cpp";
constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE ToHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

intptr_t FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE || handle == nullptr ? file_Class::kNoHandle
                                                               : reinterpret_cast<intptr_t>(handle);
}

// The name as the wide-character calls take it; the UniStr keeps the units.
UniStr WideName(const Str& utf8) {
    return UniStr::FromUtf8(utf8);
}

const wchar_t* Units(const UniStr& name) {
    return reinterpret_cast<const wchar_t*>(name.Units());
}

DWORD AccessFor(uint32_t mode) {
    switch (mode) {
    case file_Class::ModeWrite:
        return GENERIC_WRITE;
    case file_Class::ModeReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

// The directory to create when a new file's directory is missing: the
// directory part without its trailing separator.
Str WithoutTrailingSeparator(const Str& directory) {
    Str path(directory);
    if (path.Length() > 1) path.Truncate(path.Length() - 1);
    return path;
}

// The current position, or false with the system's error in `error`.
bool CurrentPosition(HANDLE handle, DWORD& position, DWORD& error) {
    SetLastError(NO_ERROR);
    position = SetFilePointer(handle, 0, nullptr, FILE_CURRENT);
    error = position == INVALID_SET_FILE_POINTER ? GetLastError() : NO_ERROR;
    return error == NO_ERROR;
}

// Moves to an absolute position below 4 GiB; false with the error otherwise.
bool MoveTo(HANDLE handle, uint32_t position, DWORD& error) {
    LONG high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(handle, static_cast<LONG>(position), &high, FILE_BEGIN);
    error = low == INVALID_SET_FILE_POINTER ? GetLastError() : NO_ERROR;
    return error == NO_ERROR;
}

// Writes all `count` bytes unless the system refuses (a pipe may take them
// in parts); returns the number written and leaves `error` at 0 or the code.
uint32_t WriteAll(HANDLE handle, const void* bytes, uint32_t count, DWORD& error) {
    error = NO_ERROR;
    const auto* from = static_cast<const uint8_t*>(bytes);
    uint32_t written = 0;
    while (written < count) {
        DWORD n = 0;
        if (!WriteFile(handle, from + written, count - written, &n, nullptr)) {
            error = GetLastError();
            break;
        }
        if (n == 0) {
            error = ERROR_WRITE_FAULT;
            break;
        }
        written += n;
    }
    return written;
}

void AssertValidHandle(DWORD error) {
    TQ_ASSERT_TEXT(error != ERROR_INVALID_HANDLE, "!\"Invalid File Handle\"");
}

} // namespace


file_Class::~file_Class() {
    TQ_ASSERT(!this->IsOpen());
    // Closed here (without the cut-back of Close) so that a forgotten file
    // does not keep its handle for the rest of the process.
    if (IsOpen()) CloseHandle(ToHandle(handle_));
}

bool file_Class::Exists() const {
    if (name_.IsEmpty()) return false;
    return GetFileAttributesW(Units(WideName(FullName()))) != INVALID_FILE_ATTRIBUTES;
}

bool file_Class::IsReadOnly() const {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(Units(WideName(FullName())), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool file_Class::Delete() {
    if (DeleteFileW(Units(WideName(FullName()))) != 0) {
        lastError_ = 0;
        return true;
    }
    const DWORD error = GetLastError();
    lastError_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
    return false;
}

// The system's sharing rules refuse to remove or replace a job that is open,
// by any name, so no name needs to be compared here.
bool file_Class::IsSameFile(const Str&) const {
    return false;
}

void file_Class::ReportError(int line, int code) {
    lastError_ = static_cast<uint32_t>(code);
    Environment::Get()->ReportSystemError(kSourceName, line, lastError_, FullName().CStr());
}

bool file_Class::TakeSizeFromSystem(int line) {
    recordedSize_ = 0;
    sizeOutOfRange_ = false;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(ToHandle(handle_), &high);
    const DWORD error = low == INVALID_FILE_SIZE ? GetLastError() : NO_ERROR;
    if (error != NO_ERROR) {
        ReportError(line, static_cast<int>(error));
        AssertValidHandle(error);
        return false;
    }
    TQ_ASSERT_TEXT(high == 0 && low < 0x7FFFFFFF, "size < 0x7FFFFFFF");
    sizeOutOfRange_ = high != 0;
    recordedSize_ = high != 0 ? 0xFFFFFFFFu : low;
    return true;
}

bool file_Class::Open(uint32_t mode) {
    if (name_.IsEmpty()) return false;
    TQ_ASSERT(!this->IsOpen());
    TQ_ASSERT(mode <= ModeReadWrite);
    if (IsOpen() || mode > ModeReadWrite) return false;

    if (name_ == "STDOUT$" && directory_.IsEmpty() && extension_.IsEmpty()) {
        // Standard output is borrowed through a duplicate, so that closing
        // this object leaves the process's handle usable for the next
        // conversion and for the host's own output.
        const HANDLE process = GetCurrentProcess();
        HANDLE copy = nullptr;
        const HANDLE standardOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        if (FromHandle(standardOutput) == kNoHandle ||
            !DuplicateHandle(process, standardOutput, process, &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS)) {
            ReportError(__LINE__, static_cast<int>(GetLastError()));
            return false;
        }
        Adopt(FromHandle(copy), mode, true);
        return true;
    }

    const HANDLE handle = CreateFileW(Units(WideName(FullName())), AccessFor(mode),
                                      kShareReadWrite, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        ReportError(__LINE__, static_cast<int>(GetLastError()));
        return false;
    }
    Adopt(FromHandle(handle), mode, false);
    return true;
}

bool file_Class::Create() {
    TQ_ASSERT(!this->IsOpen());
    if (IsOpen()) return false;
    if (IsReadOnly()) return false;

    const UniStr name = WideName(FullName());
    const auto createNew = [&name] {
        return CreateFileW(Units(name), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE handle = createNew();
    DWORD error = handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR;
    if (error == ERROR_PATH_NOT_FOUND && !directory_.IsEmpty()) {
        // Only the innermost missing directory is made, and only once.
        const UniStr directory = WideName(WithoutTrailingSeparator(directory_));
        if (CreateDirectoryW(Units(directory), nullptr)) {
            handle = createNew();
            error = handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR;
        } else {
            error = GetLastError();
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        ReportError(__LINE__, static_cast<int>(error));
        return false;
    }
    Adopt(FromHandle(handle), ModeReadWrite, false);
    return true;
}

bool file_Class::Read(void* destination, uint32_t count, uint32_t* bytesRead) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    DWORD position = 0;
    DWORD error = NO_ERROR;
    if (!CurrentPosition(ToHandle(handle_), position, error)) {
        ReportError(__LINE__, static_cast<int>(error));
        if (bytesRead) *bytesRead = 0;
        return false;
    }
    return ReadBytes(position, false, destination, count, bytesRead);
}

bool file_Class::ReadAt(uint32_t position, void* destination, uint32_t count,
                        uint32_t* bytesRead) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    return ReadBytes(position, true, destination, count, bytesRead);
}

// A positioned read is ReadFile with the position in an OVERLAPPED block: one
// call instead of a seek and a read. On a handle opened without overlapping
// the file pointer moves too, which no reader of the journal depends on.
bool file_Class::ReadBytes(uint64_t position, bool positioned, void* destination, uint32_t count,
                           uint32_t* bytesRead) {
    // At or past the end: the caller's preset count is left as it is.
    if (position >= recordedSize_) return false;
    const DWORD wanted = static_cast<DWORD>(
        count < recordedSize_ - position ? count : recordedSize_ - position);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(position);
    DWORD got = 0;
    if (!ReadFile(ToHandle(handle_), destination, wanted, &got, positioned ? &at : nullptr)) {
        ReportError(__LINE__, static_cast<int>(GetLastError()));
        if (bytesRead) *bytesRead = 0;
        return false;
    }
    if (bytesRead) *bytesRead = got;
    return got > 0;
}

bool file_Class::Write(const void* bytes, uint32_t count, uint32_t* bytesWritten) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    TQ_ASSERT(bytes || count == 0);
    if (bytesWritten) *bytesWritten = 0;
    if (!IsOpen() || (!bytes && count)) return false;

    DWORD error = NO_ERROR;
    const uint32_t written = WriteAll(ToHandle(handle_), bytes, count, error);
    if (bytesWritten) *bytesWritten = written;
    if (written && !isStdOut_) {
        DWORD position = 0;
        DWORD positionError = NO_ERROR;
        if (CurrentPosition(ToHandle(handle_), position, positionError) &&
            position > recordedSize_)
            recordedSize_ = position;
    }
    if (error != NO_ERROR) {
        ReportError(__LINE__, static_cast<int>(error));
        NoteWriteError(static_cast<int>(error));
        AssertValidHandle(error);
        return false;
    }
    return written == count;
}

bool file_Class::Append(const void* bytes, uint32_t count) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    TQ_ASSERT(bytes || count == 0);
    if (!IsOpen() || (!bytes && count)) return false;
    DWORD error = NO_ERROR;
    if (!isStdOut_ && !MoveTo(ToHandle(handle_), recordedSize_, error)) {
        ReportError(__LINE__, static_cast<int>(error));
        return false;
    }
    const uint32_t written = WriteAll(ToHandle(handle_), bytes, count, error);
    if (!isStdOut_)
        recordedSize_ = written > 0xFFFFFFFFu - recordedSize_ ? 0xFFFFFFFFu
                                                              : recordedSize_ + written;
    if (error != NO_ERROR) {
        ReportError(__LINE__, static_cast<int>(error));
        NoteWriteError(static_cast<int>(error));
        AssertValidHandle(error);
        return false;
    }
    return written == count;
}

uint32_t file_Class::Tell() {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return InvalidPosition;
    DWORD position = 0;
    DWORD error = NO_ERROR;
    if (!CurrentPosition(ToHandle(handle_), position, error)) {
        ReportError(__LINE__, static_cast<int>(error));
        return InvalidPosition;
    }
    TQ_ASSERT_TEXT(position < 0x7FFFFFFF, "pos < 0x7FFFFFFF");
    return position;
}

bool file_Class::Seek(uint32_t position) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    DWORD error = NO_ERROR;
    if (!MoveTo(ToHandle(handle_), position, error)) {
        ReportError(__LINE__, static_cast<int>(error));
        return false;
    }
    return true;
}

// After a successful cut the file's size is `position`, and the recorded
// size follows it, so that Append and Close work from the new end.
bool file_Class::Truncate(uint32_t position) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    DWORD error = NO_ERROR;
    if (!MoveTo(ToHandle(handle_), position, error) || !SetEndOfFile(ToHandle(handle_))) {
        ReportError(__LINE__, static_cast<int>(error != NO_ERROR ? error : GetLastError()));
        return false;
    }
    recordedSize_ = position;
    sizeOutOfRange_ = false;
    return true;
}

bool file_Class::Flush() {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    // Nothing is held back in this layer; a pipe or console has nothing to flush.
    if (isStdOut_) return true;
    if (!FlushFileBuffers(ToHandle(handle_))) {
        const DWORD error = GetLastError();
        ReportError(__LINE__, static_cast<int>(error));
        NoteWriteError(static_cast<int>(error));
        return false;
    }
    return true;
}

// A file that grew past what this object wrote or saw at open is cut back to
// the recorded size. A file opened only for reading cannot be cut, and one
// that outgrew 32 bits has no trustworthy recorded size.
void file_Class::Close() {
    if (!IsOpen()) return;
    const HANDLE handle = ToHandle(handle_);
    if (!isStdOut_ && mode_ != ModeRead && !sizeOutOfRange_) {
        DWORD high = 0;
        SetLastError(NO_ERROR);
        const DWORD low = GetFileSize(handle, &high);
        const DWORD error = low == INVALID_FILE_SIZE ? GetLastError() : NO_ERROR;
        if (error != NO_ERROR) {
            ReportError(__LINE__, static_cast<int>(error));
            AssertValidHandle(error);
        } else if (high != 0 || low > recordedSize_) {
            DWORD cutError = NO_ERROR;
            if (!MoveTo(handle, recordedSize_, cutError) || !SetEndOfFile(handle))
                ReportError(__LINE__, static_cast<int>(cutError != NO_ERROR ? cutError
                                                                            : GetLastError()));
        }
    }
    // The handle is released even when CloseHandle reports a failure.
    if (!CloseHandle(handle)) {
        const DWORD error = GetLastError();
        ReportError(__LINE__, static_cast<int>(error));
        if (mode_ != ModeRead) NoteWriteError(static_cast<int>(error));
        AssertValidHandle(error);
    }
    handle_ = kNoHandle;
    isStdOut_ = false;
}

} // namespace tqxml
