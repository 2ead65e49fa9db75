#include "text/str.h"

#include "support/recording_environment.h"

#include <gtest/gtest.h>

using tqxml::RecordingEnvironment;
using tqxml::Str;

TEST(StrEdges, FindOnEmptyOrPastEndReturnsLength) {
    Str empty;
    EXPECT_EQ(empty.Find('a'), 0);
    Str abc("abc");
    EXPECT_EQ(abc.Find('a', 3), 3);
    EXPECT_EQ(abc.Find('a', 10), 3);
    EXPECT_EQ(abc.Find('z'), 3);
    EXPECT_EQ(abc.Find('c', 1), 2);
    EXPECT_EQ(abc.FindText("bc"), 1);
    EXPECT_EQ(abc.FindText("bc", 2), 3);
    EXPECT_EQ(abc.FindText("abcd"), 3);
    EXPECT_EQ(Str("a.b.c").FindLast('.'), 3);
    EXPECT_EQ(abc.FindLast('.'), 3);
}

TEST(StrEdges, ConstructionGivesTheSharedEmptyTextForNothing) {
    const Str fromNull(static_cast<const char*>(nullptr));
    const Str fromEmpty("");
    const Str fromZero('\0');
    EXPECT_EQ(fromNull.CStr(), Str().CStr());
    EXPECT_EQ(fromEmpty.CStr(), Str().CStr());
    EXPECT_EQ(fromZero.CStr(), Str().CStr());
    EXPECT_EQ(Str('x'), "x");
    EXPECT_EQ(Str("ab", "cd"), "abcd");
    EXPECT_EQ(Str(nullptr, "cd"), "cd");

    Str copy("text");
    const Str& same = copy;
    copy = same;
    EXPECT_EQ(copy, "text");
    Str moved(std::move(copy));
    EXPECT_EQ(moved, "text");
    EXPECT_TRUE(copy.IsEmpty()); // NOLINT: a moved-from text is the empty text
}

TEST(StrEdges, SharedEmptyTextIsNeverWritten) {
    const char* shared = Str().CStr();
    Str s;
    s.Append('\0');
    s.Append("");
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
    EXPECT_EQ(s, "a");
    EXPECT_EQ(shared[0], '\0');
}

TEST(StrEdges, LeftFromStopAtTheEnds) {
    const Str s("abcd");
    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Left(4), "abcd");
    EXPECT_EQ(s.Left(40), "abcd");
    EXPECT_EQ(s.From(1), "bcd");
    EXPECT_EQ(s.From(4), "");
    EXPECT_EQ(s.From(40), "");

    RecordingEnvironment env;
    EXPECT_EQ(s.Left(0), "");
    EXPECT_TRUE(env.assertions.empty());
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.From(-1), "");
    EXPECT_EQ(env.assertions, (std::vector<std::string>{"n > 0", "i >= 0"}));
}

TEST(StrEdges, AtAssertsOutsideTheText) {
    const Str s("ab");
    EXPECT_EQ(*s.At(1), 'b');
    RecordingEnvironment env;
    EXPECT_EQ(*s.At(2), '\0');
    EXPECT_EQ(*s.At(-3), '\0');
    EXPECT_TRUE(env.HasAssertion("i < _Length"));
    EXPECT_TRUE(env.HasAssertion("i >= 0"));
}

TEST(StrEdges, AppendIgnoresCharacterZeroAndEmptyTexts) {
    Str s("ab");
    s.Append('\0');
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(s.Length(), 2);
    s.Append("");
    s.Append(static_cast<const char*>(nullptr));
    EXPECT_EQ(s, "ab");
    s.Append(Str("cd"));
    s.Append('e');
    EXPECT_EQ(s, "abcde");
    // Appending a piece of itself survives the block moving.
    s.Append(s.CStr() + 1, 3);
    EXPECT_EQ(s, "abcdebcd");
    s.Append(s);
    EXPECT_EQ(s, "abcdebcdabcdebcd");
}

TEST(StrEdges, DeleteCutsCountToWhatRemains) {
    Str s("abcdef");
    s.Delete(1, 2);
    EXPECT_EQ(s, "adef");
    s.Delete(2, 100);
    EXPECT_EQ(s, "ad");
    s.Delete(2, 1);
    EXPECT_EQ(s, "ad");
    s.Delete(0, 0);
    EXPECT_EQ(s, "ad");

    RecordingEnvironment env;
    s.Delete(-1, 1);
    s.Delete(0, -1);
    EXPECT_EQ(s, "ad");
    EXPECT_EQ(env.assertions, (std::vector<std::string>{"i >= 0", "n >= 0"}));
}

TEST(StrEdges, TruncateKeepsTheBlock) {
    Str s("abcdef");
    const int32_t capacity = s.Capacity();
    s.Truncate(2);
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(s.Capacity(), capacity);
    s.Truncate(10);
    EXPECT_EQ(s, "ab");
    s.Truncate(0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Capacity(), capacity);
}

TEST(StrEdges, ReplaceTextDoesNotRescanWhatItInserts) {
    Str crlf("line\r\n");
    crlf.ReplaceText("\r\n", "\r");
    EXPECT_EQ(crlf, "line\r");

    Str doubled("aa");
    doubled.ReplaceText("a", "aa");
    EXPECT_EQ(doubled, "aaaa");

    // Occurrences are taken left to right without overlap.
    Str overlap("aaa");
    overlap.ReplaceText("aa", "b");
    EXPECT_EQ(overlap, "ba");

    Str shrink("x--y--z");
    shrink.ReplaceText("--", "");
    EXPECT_EQ(shrink, "xyz");

    Str none("abc");
    none.ReplaceText("q", "r");
    EXPECT_EQ(none, "abc");

    RecordingEnvironment env;
    none.ReplaceText("", "r");
    none.ReplaceText(nullptr, "r");
    EXPECT_EQ(none, "abc");
    EXPECT_TRUE(env.HasAssertion("LengthOld > 0"));
    EXPECT_TRUE(env.HasAssertion("Old"));
}

TEST(StrEdges, ReplaceCharAndFill) {
    Str path("a/b/c");
    path.ReplaceChar('/', '\\');
    EXPECT_EQ(path, "a\\b\\c");

    Str pad;
    pad.Fill(' ', 8);
    EXPECT_EQ(pad, "        ");
    pad.Fill('-', 2);
    EXPECT_EQ(pad, "--");

    RecordingEnvironment env;
    path.ReplaceChar('\\', '\0');
    EXPECT_EQ(path, "a\\b\\c");
    EXPECT_TRUE(env.HasAssertion("Old && New"));
}

TEST(StrEdges, ComparisonsAreByteWise) {
    EXPECT_FALSE(Str("STDOUT$") == "stdout$");
    EXPECT_TRUE(Str("STDOUT$") == "STDOUT$");
    // Bytes above 0x7F order after ASCII, as unsigned characters do.
    EXPECT_TRUE(Str("Z") < Str("\xe4"));
    EXPECT_TRUE(Str("ab") < Str("abc"));
}
