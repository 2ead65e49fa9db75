#include "text/strarray.h"

#include "support/recording_environment.h"

#include <gtest/gtest.h>

using tqxml::RecordingEnvironment;
using tqxml::Str;
using tqxml::StrArray;

TEST(StrArray, ElementsStayPutOwnTheirTextsAndAreFoundExactly) {
    StrArray a;
    a.Add("one");
    Str& element = a.At(0);
    for (int i = 0; i < 100; ++i)
        a.Add("more"); // the slots move, the element does not
    element.Append("!");
    EXPECT_EQ(a.At(0), "one!");

    // The array owns copies, not the caller's texts.
    Str source("src");
    a.Add(source);
    source.Append("x");
    EXPECT_EQ(a.At(101), "src");

    // Lookups match whole texts exactly, the first of equal ones; a null
    // text is the empty one.
    a.Add("");
    EXPECT_EQ(a.Count(), 103);
    EXPECT_EQ(a.IndexOf("more"), 1);
    EXPECT_EQ(a.IndexOf("More"), -1);
    EXPECT_EQ(a.IndexOf("mor"), -1);
    EXPECT_EQ(a.IndexOf(nullptr), 102);
}

TEST(StrArray, BadIndexAssertsAndStaysInBounds) {
    StrArray a;
    a.Add("only");
    RecordingEnvironment env;
    a.At(7).Append("garbage");
    EXPECT_TRUE(a.At(7).IsEmpty());
    EXPECT_TRUE(a.At(-1).IsEmpty());
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(env.assertions,
              (std::vector<std::string>{"Index < _Count", "Index < _Count", "Index >= 0"}));
}
