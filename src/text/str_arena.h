// StrArena: storage for the many short texts of an open job. Each text a
// record reads from the job (a point name, a code, a description) would
// otherwise be a heap block of its own, and on a job of a million records
// the heap's per-block overhead outweighs the texts. While a ScopedStrArena
// is in force on a thread, texts decoded from job data are placed in the
// arena instead; their Str does not own the block, never frees it, and moves
// the text to a heap block of its own the first time it must grow. The arena
// frees everything at once, so it must outlive every Str placed in it: the
// job database keeps one beside its records and clears it after them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tqxml {

class StrArena {
public:
    StrArena() = default;
    StrArena(const StrArena&) = delete;
    StrArena& operator=(const StrArena&) = delete;

    // `bytes` bytes that stay put until Clear.
    char* Allocate(size_t bytes);
    // Frees every block; no Str placed here may be used afterwards.
    void Clear();
    size_t BytesHeld() const { return held_; }

private:
    // Large enough that the heap maps each chunk on its own rather than
    // carving it out of (and reorganising) the space of small blocks.
    static constexpr size_t kChunk = 1024 * 1024;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* next_ = nullptr;
    size_t left_ = 0;
    size_t held_ = 0;
};

// The arena in force on this thread, or null (texts go to the heap).
StrArena* CurrentStrArena();

// Puts `arena` in force on this thread for as long as the object lives.
class ScopedStrArena {
public:
    explicit ScopedStrArena(StrArena* arena);
    ~ScopedStrArena();
    ScopedStrArena(const ScopedStrArena&) = delete;
    ScopedStrArena& operator=(const ScopedStrArena&) = delete;

private:
    StrArena* previous_;
};

} // namespace tqxml
