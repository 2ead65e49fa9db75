#include "text/strarray.h"

#include "support/recording_environment.h"

#include <gtest/gtest.h>

using tqxml::RecordingEnvironment;
using tqxml::Str;
using tqxml::StrArray;

TEST(StrArray, AtIsTheElementAndGetACopy) {
    StrArray a;
    a.Add("one");
    Str& element = a.At(0);
    for (int i = 0; i < 100; ++i)
        a.Add("more"); // the slots move, the element does not
    element.Append("!");
    EXPECT_EQ(a.At(0), "one!");

    Str copy = a.Get(0);
    copy.Append("?");
    EXPECT_EQ(a.At(0), "one!");

    // The array owns copies, not the caller's texts.
    Str source("src");
    a.Add(source);
    source.Append("x");
    EXPECT_EQ(a.At(a.Count() - 1), "src");
}

TEST(StrArray, BadIndexAssertsAndStaysInBounds) {
    StrArray a;
    a.Add("only");
    RecordingEnvironment env;
    EXPECT_TRUE(a.At(1).IsEmpty());
    EXPECT_TRUE(a.Get(5).IsEmpty());
    a.At(7).Append("garbage");
    EXPECT_TRUE(a.At(7).IsEmpty());
    EXPECT_TRUE(a.At(-1).IsEmpty());
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(a.At(0), "only");
    EXPECT_TRUE(env.HasAssertion("Index < _Count"));
    EXPECT_TRUE(env.HasAssertion("Index >= 0"));
    EXPECT_EQ(env.assertions.size(), 5u);
}

TEST(StrArray, IndexOfMatchesWholeTextsExactly) {
    StrArray a;
    for (const char* text : {"Alpha", "beta", "", "beta"})
        a.Add(text);
    EXPECT_EQ(a.IndexOf("beta"), 1);
    EXPECT_EQ(a.IndexOf(Str("beta")), 1);
    EXPECT_EQ(a.IndexOf("alpha"), -1);
    EXPECT_EQ(a.IndexOf("Alph"), -1);
    EXPECT_EQ(a.IndexOf(""), 2);
    EXPECT_EQ(a.IndexOf(static_cast<const char*>(nullptr)), 2);
    EXPECT_EQ(StrArray().IndexOf("x"), -1);
}

TEST(StrArray, EqualityCopyAndMove) {
    StrArray a;
    a.Add("x");
    a.Add("y");
    StrArray b(a);
    EXPECT_TRUE(a == b);
    b.At(1).Append("z");
    EXPECT_FALSE(a == b);
    EXPECT_EQ(a.At(1), "y");

    StrArray shorter;
    shorter.Add("x");
    EXPECT_FALSE(a == shorter);
    StrArray swapped;
    swapped.Add("y");
    swapped.Add("x");
    EXPECT_FALSE(a == swapped);

    shorter = a;
    EXPECT_TRUE(shorter == a);
    StrArray moved(std::move(shorter));
    EXPECT_TRUE(moved == a);
    EXPECT_EQ(shorter.Count(), 0); // NOLINT: moved-from arrays are empty
    const StrArray& same = moved;
    moved = same;
    EXPECT_TRUE(moved == a);
}
