#include "text/str_arena.h"

namespace tqxml {
namespace {

thread_local StrArena* t_currentArena = nullptr;

} // namespace

char* StrArena::Allocate(size_t bytes) {
    bytes = (bytes + 7) & ~size_t{7};
    if (bytes > left_) {
        const size_t size = bytes > kChunk / 4 ? bytes : kChunk;
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        held_ += size;
        if (size != kChunk) return chunks_.back().get(); // a large text gets a chunk of its own
        next_ = chunks_.back().get();
        left_ = size;
    }
    char* block = next_;
    next_ += bytes;
    left_ -= bytes;
    return block;
}

void StrArena::Clear() {
    chunks_.clear();
    next_ = nullptr;
    left_ = 0;
    held_ = 0;
}

StrArena* CurrentStrArena() {
    return t_currentArena;
}

ScopedStrArena::ScopedStrArena(StrArena* arena) : previous_(t_currentArena) {
    t_currentArena = arena;
}

ScopedStrArena::~ScopedStrArena() {
    t_currentArena = previous_;
}

} // namespace tqxml
