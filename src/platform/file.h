// file_Class: a named disk file, or the process's standard output for the
// name "STDOUT$". Failures are reported to the Environment (system error
// code and file name) and returned as false; nothing throws.
#pragma once

#include "text/str.h"

#include <cstdint>

namespace tqxml {

class file_Class {
public:
    enum Mode : uint32_t { ModeRead = 0, ModeWrite = 1, ModeReadWrite = 2 };
    static constexpr uint32_t InvalidPosition = 0xFFFFFFFFu;
    // The system's handle of an open file (a descriptor, or a Windows handle),
    // held in an integer wide enough for either; this value when closed.
    static constexpr intptr_t kNoHandle = -1;

    file_Class() = default;
    explicit file_Class(const Str& path);
    // Asserts "!this->IsOpen()". A file still open is then closed without
    // cutting it back, so that the handle does not leak.
    ~file_Class();
    file_Class(const file_Class&) = delete;
    file_Class& operator=(const file_Class&) = delete;

    // Names: "/" becomes "\", the path is split into Directory (with its
    // trailing separator), Name and extension. An empty path is ignored.
    void SetName(const Str& path);
    Str FullName() const;
    const Str& Directory() const { return directory_; }
    const Str& Name() const { return name_; }
    const Str& Extension() const { return extension_; }

    bool Exists() const;
    bool IsReadOnly() const;
    // Removes a file; a device or a FIFO of that name is left alone (false).
    // A removal the system refuses leaves its reason in LastError; a name
    // that names nothing, or a device, leaves 0 there.
    bool Delete();
    // Whether `path`, by whatever spelling or link, names this open file.
    bool IsSameFile(const Str& path) const;

    // Opens a regular file, without waiting; anything else is refused.
    bool Open(uint32_t mode);
    // A new file; where a device or a FIFO stands at the name, that is
    // opened for writing instead.
    bool Create();
    // Create in the place of a file or link of the name (Delete, then
    // Create); LastError tells why a file that was there could not go.
    bool Replace();
    bool IsOpen() const { return handle_ != kNoHandle; }
    bool IsStandardOutput() const { return isStdOut_; }

    // Reads up to `count` bytes at the current position, never past the
    // recorded size. False at or past the recorded size (leaving *bytesRead
    // untouched) or when nothing could be read.
    bool Read(void* destination, uint32_t count, uint32_t* bytesRead = nullptr);
    // The same at `position`, leaving the current position where it is.
    bool ReadAt(uint32_t position, void* destination, uint32_t count,
                uint32_t* bytesRead = nullptr);
    bool Write(const void* bytes, uint32_t count, uint32_t* bytesWritten = nullptr);
    bool Append(const void* bytes, uint32_t count);
    uint32_t Tell();
    bool Seek(uint32_t position);
    bool Truncate(uint32_t position);
    bool Flush();
    void Close();

    uint32_t RecordedSize() const { return recordedSize_; }
    uint32_t LastError() const { return lastError_; }
    // The system's code for the first write, flush or close of this file
    // that failed since it was opened or created; 0 while all went well.
    uint32_t WriteError() const { return writeError_; }

private:
    void ReportError(int line, int code);
    void NoteWriteError(int code) {
        if (writeError_ == 0) writeError_ = static_cast<uint32_t>(code);
    }
    bool TakeSizeFromSystem(int line);
    bool OpenStream();
    // Takes `handle` as this file's. A file of its own is sized from the
    // system; a stream (standard output, a device, a FIFO) has no size and
    // is never cut back.
    void Adopt(intptr_t handle, uint32_t mode, bool stream);
    // Read and ReadAt: up to `count` bytes from `position`, which is the
    // current position unless `positioned`.
    bool ReadBytes(uint64_t position, bool positioned, void* destination, uint32_t count,
                   uint32_t* bytesRead);

    Str directory_;
    Str name_;
    Str extension_;
    uint32_t recordedSize_ = 0;
    uint32_t lastError_ = 0;
    uint32_t writeError_ = 0;
    intptr_t handle_ = kNoHandle;
    uint32_t mode_ = ModeRead;
    bool isStdOut_ = false;
    bool sizeOutOfRange_ = false; // the file outgrew 32 bits: never cut it back
};

} // namespace tqxml
