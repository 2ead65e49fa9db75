#include "text/str.h"

#include "support/recording_environment.h"

#include <gtest/gtest.h>

using tqxml::RecordingEnvironment;
using tqxml::Str;

// Every search gives the length when nothing is found.
TEST(StrEdges, SearchAndCompare) {
    const Str abc("abc");
    EXPECT_EQ(Str().Find('a'), 0);
    EXPECT_EQ(abc.Find('a', 3), 3);
    EXPECT_EQ(abc.Find('z'), 3);
    EXPECT_EQ(abc.Find('c', 1), 2);
    EXPECT_EQ(abc.Find('a', -4), 0);
    EXPECT_EQ(abc.FindText("bc"), 1);
    EXPECT_EQ(abc.FindText("bc", 2), 3);
    EXPECT_EQ(abc.FindText("abcd"), 3);
    EXPECT_EQ(Str("a.b.c").FindLast('.'), 3);
    EXPECT_EQ(abc.FindLast('.'), 3);

    // Comparisons are byte-wise; bytes above 0x7F order after ASCII.
    EXPECT_FALSE(Str("STDOUT$") == "stdout$");
    EXPECT_TRUE(Str("Z") < Str("\xe4"));
}

TEST(StrEdges, NothingIsTheSharedEmptyTextWhichIsNeverWritten) {
    const char* shared = Str().CStr();
    for (const Str& nothing : {Str(static_cast<const char*>(nullptr)), Str(""), Str('\0')})
        EXPECT_EQ(nothing.CStr(), shared);
    Str s;
    s.Append('\0');
    s.Append(static_cast<const char*>(nullptr));
    s.Append(Str());
    s.Append("abc", 0);
    s.AppendRoom(0);
    s.Truncate(0);
    s.Delete(0, 5);
    s.ReplaceText("a", "b");
    s.ReplaceChar('a', 'b');
    s.Fill('x', 0);
    EXPECT_EQ(s.CStr(), shared);
    EXPECT_EQ(shared[0], '\0');
    EXPECT_EQ(s.Capacity(), 0);

    // Growing replaces it by a block of its own.
    s.Append('a');
    EXPECT_NE(s.CStr(), shared);
    EXPECT_EQ(shared[0], '\0');
}

TEST(StrEdges, LeftFromAndAtStopAtTheEnds) {
    const Str s("abcd");
    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Left(40), "abcd");
    EXPECT_EQ(s.From(1), "bcd");
    EXPECT_EQ(s.From(4), "");
    EXPECT_EQ(*s.At(3), 'd');

    RecordingEnvironment env;
    EXPECT_EQ(s.Left(0), "");
    EXPECT_TRUE(env.assertions.empty());
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.From(-1), "");
    EXPECT_EQ(*s.At(4), '\0');
    EXPECT_EQ(*s.At(-3), '\0');
    EXPECT_EQ(env.assertions,
              (std::vector<std::string>{"n > 0", "i >= 0", "i < _Length", "i >= 0"}));
}

// Appending a piece of itself survives the block moving.
TEST(StrEdges, ConstructionCopyAndAppendingAPieceOfItself) {
    EXPECT_EQ(Str('x'), "x");
    EXPECT_EQ(Str("ab", "cd"), "abcd");
    Str copy("text");
    const Str& same = copy;
    copy = same;
    EXPECT_EQ(copy, "text");
    Str moved(std::move(copy));
    EXPECT_EQ(moved, "text");
    EXPECT_TRUE(copy.IsEmpty()); // NOLINT: a moved-from text is the empty text

    Str s("abcde");
    s.Append(s.CStr() + 1, 3);
    EXPECT_EQ(s, "abcdebcd");
    s.Append(s);
    EXPECT_EQ(s, "abcdebcdabcdebcd");
}

// Counts are cut to what remains; Truncate keeps the block.
TEST(StrEdges, DeleteTruncateAndFill) {
    RecordingEnvironment env;
    Str s("abcdef");
    const int32_t capacity = s.Capacity();
    s.Delete(1, 2);
    EXPECT_EQ(s, "adef");
    s.Delete(2, 100);
    EXPECT_EQ(s, "ad");
    s.Delete(2, 1);
    s.Delete(0, 0);
    s.Truncate(10);
    s.Delete(-1, 1);
    s.Delete(0, -1);
    EXPECT_EQ(s, "ad");
    EXPECT_EQ(env.assertions, (std::vector<std::string>{"i >= 0", "n >= 0"}));
    s.Truncate(1);
    EXPECT_EQ(s, "a");
    EXPECT_EQ(s.Capacity(), capacity);
    s.Fill('-', 2); // replaces the text
    EXPECT_EQ(s, "--");
}

// What is inserted is never searched again; occurrences are taken left to
// right without overlap.
TEST(StrEdges, ReplaceTextAndReplaceChar) {
    const char* cases[][4] = {
        {"line\r\n", "\r\n", "\r", "line\r"}, {"aa", "a", "aa", "aaaa"}, {"aaa", "aa", "b", "ba"},
        {"x--y--z", "--", "", "xyz"},         {"abc", "q", "r", "abc"},
    };
    for (const auto& [text, from, to, expected] : cases) {
        Str s(text);
        s.ReplaceText(from, to);
        EXPECT_EQ(s, expected) << text;
    }

    RecordingEnvironment env;
    Str s("a/b");
    s.ReplaceText("", "r");
    s.ReplaceText(nullptr, "r");
    s.ReplaceChar('/', '\0');
    EXPECT_EQ(s, "a/b");
    s.ReplaceChar('/', '\\');
    EXPECT_EQ(s, "a\\b");
    EXPECT_EQ(env.assertions.size(), 4u);
}
