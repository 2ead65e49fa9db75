// file_Class over POSIX descriptors. Names are held with "\" separators like
// every other path in the library; ToSystemPath turns them back into "/" at
// the one place where a name is handed to the operating system.
#include "platform/file.h"

#include "base/environment.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tqxml {
namespace {

constexpr const char* kSourceName = "file_posix.cpp";
constexpr uint32_t kMaxRecordedSize = 0xFFFFFFFFu;

// The handle of an open file is its descriptor.
int Fd(intptr_t handle) {
    return static_cast<int>(handle);
}

Str ToSystemPath(const Str& name) {
    Str path(name);
    if (!path.IsEmpty()) path.ReplaceChar('\\', '/');
    return path;
}

// The directory to create when a new file's directory is missing: the
// directory part without its trailing separator.
Str ToSystemDirectory(const Str& directory) {
    Str path = ToSystemPath(directory);
    if (path.Length() > 1) path.Truncate(path.Length() - 1);
    return path;
}

int OpenFlags(uint32_t mode) {
    switch (mode) {
    case file_Class::ModeWrite:
        return O_WRONLY;
    case file_Class::ModeReadWrite:
        return O_RDWR;
    default:
        return O_RDONLY;
    }
}

// Writes all `count` bytes unless the system refuses; returns the number
// written and leaves `error` at 0 or the refusal's code.
uint32_t WriteAll(int fd, const void* bytes, uint32_t count, int& error) {
    error = 0;
    const auto* from = static_cast<const uint8_t*>(bytes);
    uint32_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd, from + written, count - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        if (n == 0) {
            error = EIO;
            break;
        }
        written += static_cast<uint32_t>(n);
    }
    return written;
}

} // namespace

file_Class::~file_Class() {
    TQ_ASSERT(!this->IsOpen());
    // Closed here (without the cut-back of Close) so that a forgotten file
    // does not keep its descriptor for the rest of the process.
    if (IsOpen()) ::close(Fd(handle_));
}

bool file_Class::Exists() const {
    if (name_.IsEmpty()) return false;
    struct stat info;
    return ::stat(ToSystemPath(FullName()).CStr(), &info) == 0;
}

// The counterpart of a read-only file attribute: no write permission bit set.
bool file_Class::IsReadOnly() const {
    struct stat info;
    if (::stat(ToSystemPath(FullName()).CStr(), &info) != 0) return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Only files are removed: a device or a FIFO named as an earlier output
// (-o /dev/null) stays where it is.
bool file_Class::Delete() {
    lastError_ = 0;
    const Str path = ToSystemPath(FullName());
    struct stat info;
    if (::lstat(path.CStr(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) return false;
    if (::unlink(path.CStr()) == 0) return true;
    lastError_ = static_cast<uint32_t>(errno);
    return false;
}

bool file_Class::IsSameFile(const Str& path) const {
    struct stat open, named;
    return IsOpen() && ::fstat(Fd(handle_), &open) == 0 &&
           ::stat(ToSystemPath(path).CStr(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

void file_Class::ReportError(int line, int code) {
    lastError_ = static_cast<uint32_t>(code);
    Environment::Get()->ReportSystemError(kSourceName, line, lastError_, FullName().CStr());
}

bool file_Class::TakeSizeFromSystem(int line) {
    recordedSize_ = 0;
    sizeOutOfRange_ = false;
    struct stat info;
    if (::fstat(Fd(handle_), &info) != 0) {
        ReportError(line, errno);
        return false;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    TQ_ASSERT_TEXT(size < 0x7FFFFFFF, "size < 0x7FFFFFFF");
    if (size > kMaxRecordedSize) {
        sizeOutOfRange_ = true;
        recordedSize_ = kMaxRecordedSize;
    } else {
        recordedSize_ = static_cast<uint32_t>(size);
    }
    return true;
}

bool file_Class::Open(uint32_t mode) {
    if (name_.IsEmpty()) return false;
    TQ_ASSERT(!this->IsOpen());
    TQ_ASSERT(mode <= ModeReadWrite);
    if (IsOpen() || mode > ModeReadWrite) return false;

    if (name_ == "STDOUT$" && directory_.IsEmpty() && extension_.IsEmpty()) {
        // Standard output is borrowed through a duplicate, so that closing
        // this object leaves descriptor 1 usable for the next conversion.
        const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            ReportError(__LINE__, errno);
            return false;
        }
        Adopt(fd, mode, true);
        return true;
    }

    // Without waiting: a FIFO opened for reading would block until a writer
    // came. Only a regular file is a file that can be opened.
    const int fd = ::open(ToSystemPath(FullName()).CStr(), OpenFlags(mode) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        ReportError(__LINE__, errno);
        return false;
    }
    struct stat info{}; // read below even when fstat fails
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        ReportError(__LINE__, error);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    Adopt(fd, mode, false);
    return true;
}

bool file_Class::Create() {
    TQ_ASSERT(!this->IsOpen());
    if (IsOpen()) return false;
    if (IsReadOnly()) return false;

    const Str path = ToSystemPath(FullName());
    const int flags = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(path.CStr(), flags, 0666);
    int error = fd < 0 ? errno : 0;
    if (fd < 0 && error == ENOENT && !directory_.IsEmpty()) {
        // Only the innermost missing directory is made, and only once.
        if (::mkdir(ToSystemDirectory(directory_).CStr(), 0777) == 0) {
            fd = ::open(path.CStr(), flags, 0666);
            error = fd < 0 ? errno : 0;
        } else {
            error = errno;
        }
    }
    if (fd < 0 && error == EEXIST) return OpenStream();
    if (fd < 0) {
        ReportError(__LINE__, error);
        return false;
    }
    Adopt(fd, ModeReadWrite, false);
    return true;
}

// What Create finds in the place of the file when it is a device or a FIFO
// (a file would have been removed): written as a stream, like standard output.
bool file_Class::OpenStream() {
    const Str path = ToSystemPath(FullName());
    struct stat info{}; // read below even when stat fails
    if (::stat(path.CStr(), &info) != 0 || !(S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode))) {
        ReportError(__LINE__, S_ISDIR(info.st_mode) ? EISDIR : EEXIST);
        return false;
    }
    const int fd = ::open(path.CStr(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        ReportError(__LINE__, errno);
        return false;
    }
    Adopt(fd, ModeWrite, true);
    return true;
}

bool file_Class::Read(void* destination, uint32_t count, uint32_t* bytesRead) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    const off_t position = ::lseek(Fd(handle_), 0, SEEK_CUR);
    if (position < 0) {
        ReportError(__LINE__, errno);
        if (bytesRead) *bytesRead = 0;
        return false;
    }
    return ReadBytes(static_cast<uint64_t>(position), false, destination, count, bytesRead);
}

bool file_Class::ReadAt(uint32_t position, void* destination, uint32_t count,
                        uint32_t* bytesRead) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    return ReadBytes(position, true, destination, count, bytesRead);
}

bool file_Class::ReadBytes(uint64_t position, bool positioned, void* destination, uint32_t count,
                           uint32_t* bytesRead) {
    // At or past the end: the caller's preset count is left as it is.
    if (position >= recordedSize_) return false;
    const auto wanted = static_cast<uint32_t>(std::min<uint64_t>(count, recordedSize_ - position));
    auto* into = static_cast<uint8_t*>(destination);
    uint32_t total = 0;
    while (total < wanted) {
        const ssize_t n =
            positioned ? ::pread(Fd(handle_), into + total, wanted - total,
                                 static_cast<off_t>(position + total))
                       : ::read(Fd(handle_), into + total, wanted - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            ReportError(__LINE__, errno);
            if (bytesRead) *bytesRead = 0;
            return false;
        }
        if (n == 0) break;
        total += static_cast<uint32_t>(n);
    }
    if (bytesRead) *bytesRead = total;
    return total > 0;
}

bool file_Class::Write(const void* bytes, uint32_t count, uint32_t* bytesWritten) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    TQ_ASSERT(bytes || count == 0);
    if (bytesWritten) *bytesWritten = 0;
    if (!IsOpen() || (!bytes && count)) return false;

    int error = 0;
    const uint32_t written = WriteAll(Fd(handle_), bytes, count, error);
    if (bytesWritten) *bytesWritten = written;
    if (written && !isStdOut_) {
        const off_t position = ::lseek(Fd(handle_), 0, SEEK_CUR);
        if (position >= 0 && static_cast<uint64_t>(position) > recordedSize_)
            recordedSize_ = static_cast<uint32_t>(
                std::min<uint64_t>(static_cast<uint64_t>(position), kMaxRecordedSize));
    }
    if (error) {
        ReportError(__LINE__, error);
        NoteWriteError(error);
        return false;
    }
    return written == count;
}

bool file_Class::Append(const void* bytes, uint32_t count) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    TQ_ASSERT(bytes || count == 0);
    if (!IsOpen() || (!bytes && count)) return false;
    if (!isStdOut_ && ::lseek(Fd(handle_), static_cast<off_t>(recordedSize_), SEEK_SET) < 0) {
        ReportError(__LINE__, errno);
        return false;
    }
    int error = 0;
    const uint32_t written = WriteAll(Fd(handle_), bytes, count, error);
    if (!isStdOut_)
        recordedSize_ = static_cast<uint32_t>(
            std::min<uint64_t>(uint64_t{recordedSize_} + written, kMaxRecordedSize));
    if (error) {
        ReportError(__LINE__, error);
        NoteWriteError(error);
        return false;
    }
    return written == count;
}

uint32_t file_Class::Tell() {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return InvalidPosition;
    const off_t position = ::lseek(Fd(handle_), 0, SEEK_CUR);
    if (position < 0) {
        ReportError(__LINE__, errno);
        return InvalidPosition;
    }
    TQ_ASSERT_TEXT(position < 0x7FFFFFFF, "pos < 0x7FFFFFFF");
    if (static_cast<uint64_t>(position) >= InvalidPosition) return InvalidPosition;
    return static_cast<uint32_t>(position);
}

bool file_Class::Seek(uint32_t position) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    if (::lseek(Fd(handle_), static_cast<off_t>(position), SEEK_SET) < 0) {
        ReportError(__LINE__, errno);
        return false;
    }
    return true;
}

// After a successful cut the file's size is `position`, and the recorded
// size follows it, so that Append and Close work from the new end.
bool file_Class::Truncate(uint32_t position) {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    if (::lseek(Fd(handle_), static_cast<off_t>(position), SEEK_SET) < 0 ||
        ::ftruncate(Fd(handle_), static_cast<off_t>(position)) != 0) {
        ReportError(__LINE__, errno);
        return false;
    }
    recordedSize_ = position;
    sizeOutOfRange_ = false;
    return true;
}

bool file_Class::Flush() {
    TQ_ASSERT_TEXT(IsOpen(), "_WinHandle != NULL");
    if (!IsOpen()) return false;
    // Nothing is held back in this layer; a pipe or terminal has nothing to sync.
    if (isStdOut_) return true;
    if (::fsync(Fd(handle_)) != 0) {
        const int error = errno;
        ReportError(__LINE__, error);
        NoteWriteError(error);
        return false;
    }
    return true;
}

void file_Class::Close() {
    if (!IsOpen()) return;
    // A file that grew past what this object wrote or saw at open is cut back
    // to the recorded size. A file opened only for reading cannot be cut, and
    // one that outgrew 32 bits has no trustworthy recorded size.
    if (!isStdOut_ && mode_ != ModeRead && !sizeOutOfRange_) {
        struct stat info;
        if (::fstat(Fd(handle_), &info) != 0) {
            ReportError(__LINE__, errno);
        } else if (static_cast<uint64_t>(info.st_size) > recordedSize_ &&
                   ::ftruncate(Fd(handle_), static_cast<off_t>(recordedSize_)) != 0) {
            ReportError(__LINE__, errno);
        }
    }
    // The descriptor is released even when close reports a failure.
    if (::close(Fd(handle_)) != 0) {
        const int error = errno;
        ReportError(__LINE__, error);
        if (mode_ != ModeRead) NoteWriteError(error);
    }
    handle_ = kNoHandle;
    isStdOut_ = false;
}

} // namespace tqxml
