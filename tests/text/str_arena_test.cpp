#include "text/str.h"
#include "text/str_arena.h"

#include <gtest/gtest.h>

#include <string>

namespace tqxml {
namespace {

TEST(StrArena, TextsGoToTheArenaOnlyWhileItIsInForce) {
    StrArena arena;
    Str outside = Str::InArena("heap", 4);
    EXPECT_EQ(outside.Capacity(), 15); // a heap block of its own
    {
        ScopedStrArena scope(&arena);
        Str inside = Str::InArena("arena text", 10);
        EXPECT_EQ(inside, "arena text");
        EXPECT_EQ(inside.Capacity(), 0); // the Str owns no block
        EXPECT_GT(arena.BytesHeld(), 0u);
        EXPECT_EQ(CurrentStrArena(), &arena);
    }
    EXPECT_EQ(CurrentStrArena(), nullptr);
}

// A text in the arena behaves like any other: it grows (leaving the arena),
// is copied deeply, moves, shrinks and changes in place; the sanitizer build
// would report a free of arena memory or a use after the arena's Clear.
TEST(StrArena, ArenaTextsGrowCopyAndMoveLikeOthers) {
    StrArena arena;
    ScopedStrArena scope(&arena);
    Str a = Str::InArena("PT1", 3);
    Str copy(a);
    a.Append(" north");
    EXPECT_EQ(a, "PT1 north");
    EXPECT_GT(a.Capacity(), 0); // now on the heap
    EXPECT_EQ(copy, "PT1");

    Str b = Str::InArena("kerb", 4);
    Str moved(std::move(b));
    EXPECT_EQ(moved, "kerb");
    moved.ToUpper();
    moved.Truncate(2);
    EXPECT_EQ(moved, "KE");
    Str assigned;
    assigned = moved;
    moved = "replaced";
    EXPECT_EQ(assigned, "KE");
    EXPECT_EQ(moved, "replaced");

    std::string big(100000, 'x'); // larger than a chunk: a block of its own
    Str large = Str::InArena(big.data(), static_cast<int32_t>(big.size()));
    EXPECT_EQ(large.Length(), 100000);
    EXPECT_EQ(Str::InArena("", 0), "");
}

} // namespace
} // namespace tqxml
