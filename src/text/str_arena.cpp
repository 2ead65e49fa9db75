#include "text/str_arena.h"

namespace tqxml {
namespace {

thread_local StrArena* t_currentArena = nullptr;

} // namespace

char* StrArena::Allocate(size_t bytes) {
    bytes = (bytes + 7) & ~size_t{7};
    if (bytes > _Left) {
        const size_t size = bytes > kChunk / 4 ? bytes : kChunk;
        _Chunks.push_back(std::make_unique_for_overwrite<char[]>(size));
        _Held += size;
        if (size != kChunk) return _Chunks.back().get(); // a large text gets a chunk of its own
        _Next = _Chunks.back().get();
        _Left = size;
    }
    char* block = _Next;
    _Next += bytes;
    _Left -= bytes;
    return block;
}

void StrArena::Clear() {
    _Chunks.clear();
    _Next = nullptr;
    _Left = 0;
    _Held = 0;
}

StrArena* CurrentStrArena() {
    return t_currentArena;
}

ScopedStrArena::ScopedStrArena(StrArena* arena) : _Previous(t_currentArena) {
    t_currentArena = arena;
}

ScopedStrArena::~ScopedStrArena() {
    t_currentArena = _Previous;
}

} // namespace tqxml
