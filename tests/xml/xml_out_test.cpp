#include "xml/xml_out.h"

#include "platform/file.h"
#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace tqxml {
namespace {

// What `lay` writes through a stream writer whose top level is `depth`.
template <class Lay> std::string Laid(Lay lay, int32_t depth = 1) {
    Str buffer;
    StreamSink sink(buffer, nullptr, depth);
    lay(sink);
    return std::string(buffer.View());
}

std::string Encoded(const char* text) {
    return std::string(EncodeXmlText(text).View());
}

// Markup and control bytes become entities, bytes from 0x7F up stay as they
// are; spaces (only spaces) at either end are dropped, even next to an entity.
TEST(XmlEncoding, MarkupControlBytesAndSpaces) {
    const std::pair<const char*, const char*> cases[] = {
        {"a&b<c>d'e\"f", "a&amp;b&lt;c&gt;d&apos;e&quot;f"},
        {"a\tb", "a&#x009;b"},
        {"line1\r\nline2", "line1&#x00d;&#x00a;line2"},
        {"\x01\x1f", "&#x001;&#x01f;"},
        {"\x7f\x80\xc3\xa9\xff", "\x7f\x80\xc3\xa9\xff"},
        {"!~/=;#", "!~/=;#"},
        {"   a  b   c   ", "a  b   c"},
        {"     ", ""},
        {"", ""},
        {"\t x \t", "&#x009; x &#x009;"},
        {" & ", "&amp;"},
        {"x <", "x &lt;"},
    };
    for (const auto& [text, encoded] : cases)
        EXPECT_EQ(Encoded(text), encoded) << text;
    EXPECT_EQ(Encoded(nullptr), "");
}

TEST(XmlEncoding, AppendStopsAtNulAndKeepsWhatIsThere) {
    Str out("keep ");
    AppendEncodedXmlText(out, "  a<b\0c", 7);
    EXPECT_EQ(out, "keep a&lt;b");
    // Trimming never reaches into what was already in the buffer.
    AppendEncodedXmlText(out, "   ", 3);
    EXPECT_EQ(out, "keep a&lt;b");
    Str spaced("x ");
    AppendEncodedXmlText(spaced, " y ", 3);
    EXPECT_EQ(spaced, "x y");
    AppendEncodedXmlText(spaced, "  ", 2);
    Str trailing("x ");
    AppendEncodedXmlText(trailing, "  ", 2);
    EXPECT_EQ(trailing, "x ");
}

TEST(XmlEncoding, LongTextIsReportedAndEncodedFully) {
    RecordingEnvironment env;

    std::string text(5195, 'a');
    EXPECT_EQ(Encoded(text.c_str()), text);
    EXPECT_TRUE(env.assertions.empty());

    std::string input;
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        const char c = "ab&\n "[i % 5];
        input += c;
        expected += c == '&' ? "&amp;" : c == '\n' ? "&#x00a;" : std::string(1, c);
    }
    expected.pop_back(); // the trailing space
    EXPECT_EQ(Encoded(input.c_str()), expected);
    ASSERT_EQ(env.assertions.size(), 1u);
    EXPECT_EQ(env.assertions[0], "strlen (string) < 5196");

    // Longer than one encoding piece: nothing is lost at the seams.
    std::string huge(200000, '"');
    huge[70000] = ' ';
    const std::string encodedHuge = Encoded(huge.c_str());
    EXPECT_EQ(encodedHuge.size(), 199999u * 6 + 1);
    EXPECT_EQ(encodedHuge.substr(70000 * 6, 7), " &quot;");
}

TEST(XmlStream, FieldForms) {
    EXPECT_EQ(Laid([](StreamSink& s) {
                  s.Begin("Feature");
                  s.Attribute("Name", "  a\"b ");
                  s.Attribute("Name", "2");
                  s.Attribute("Empty", "");
                  s.End();
              }),
              "    <Feature Name=\"a&quot;b\" Name=\"2\" Empty=\"\"/>\r\n");
    EXPECT_EQ(Laid([](StreamSink& s) { s.Leaf("Name", ""); }, 2), "        <Name/>\r\n");
    EXPECT_EQ(Laid([](StreamSink& s) { s.Leaf("Name", " 1.5 "); }, 2),
              "        <Name>1.5</Name>\r\n");
    // Spaces only count as text, though nothing of them is written.
    EXPECT_EQ(Laid([](StreamSink& s) { s.Leaf("Name", "   "); }, 2),
              "        <Name></Name>\r\n");
    EXPECT_EQ(Laid(
                  [](StreamSink& s) {
                      s.Begin("Point");
                      s.Attribute("n", "0");
                      s.Text("a<b");
                      s.End();
                  },
                  2),
              "        <Point n=\"0\">a&lt;b</Point>\r\n");
}

// Records, nesting and the one-tag form are what every golden document
// shows; text beside children is the sink's own rule.
TEST(XmlStream, TextBesideChildrenTakesALineOfItsOwn) {
    EXPECT_EQ(Laid([](StreamSink& s) {
                  s.Begin("DATABASE_NoteRecord", true);
                  s.Text("a\tnote ");
                  s.End();
                  s.Begin("Outer");
                  s.Text("x&y");
                  s.Leaf("Inner", "1");
                  s.End();
              }),
              "\r\n"
              "    <DATABASE_NoteRecord>\r\n"
              "        a&#x009;note\r\n"
              "    </DATABASE_NoteRecord>\r\n"
              "    <Outer>\r\n"
              "        x&amp;y\r\n"
              "        <Inner>1</Inner>\r\n"
              "    </Outer>\r\n");
}

TEST(XmlStream, LongFieldTextIsWrittenInFull) {
    std::string text(100000, 'x');
    text[50000] = '<';
    const std::string written = Laid([&](StreamSink& s) { s.Leaf("Long", text); }, 2);
    EXPECT_EQ(written.size(), 8 + 6 + 100003 + 9);
    EXPECT_EQ(written.substr(8 + 6 + 50000, 5), "&lt;x");
    EXPECT_EQ(written.substr(written.size() - 10), "x</Long>\r\n");
}

TEST(XmlFlush, NothingIsWrittenWithoutAnOutput) {
    Str buffer;
    StreamSink(buffer, nullptr, 1).Leaf("A", std::string(70000, 'y'));
    EXPECT_GT(buffer.Length(), kFlushThreshold);
    FlushIfLarge(nullptr, buffer);
    EXPECT_GT(buffer.Length(), kFlushThreshold);

    const int32_t capacity = buffer.Capacity();
    Flush(nullptr, buffer);
    EXPECT_EQ(buffer.Length(), 0);
    EXPECT_EQ(buffer.Capacity(), capacity);
}

// A document written through a real file, its pending text crossing the
// flush threshold by a few bytes either way.
class XmlFlushToFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string path_ = dir.File("flushed.xml");
};

// The text of a field at depth 1 that is written as exactly `size` bytes
// (at least 14).
std::string FieldTextOfSize(int32_t size) {
    return std::string(static_cast<size_t>(size - 13), 'v');
}

TEST_F(XmlFlushToFile, FlushesOnlyAboveTheThresholdAndLosesNothing) {
    for (int32_t total = kFlushThreshold - 3; total <= kFlushThreshold + 3; ++total) {
        SCOPED_TRACE(total);
        std::remove(path_.c_str());
        file_Class output{Str(path_.c_str())};
        ASSERT_TRUE(output.Create());

        Str buffer;
        std::string document;
        uint32_t onDisk = 0;
        // The pending text reaches exactly `total` with the second field.
        const int32_t sizes[] = {40000, total - 40000, 100, kFlushThreshold, 14, 14};
        for (int32_t size : sizes) {
            const std::string text = FieldTextOfSize(size);
            Str piece;
            StreamSink(piece, nullptr, 1).Leaf("F", text);
            ASSERT_EQ(piece.Length(), size);
            document += piece.View();

            const int32_t pending = buffer.Length() + size;
            StreamSink(buffer, &output, 1).Leaf("F", text);
            if (pending > kFlushThreshold) {
                onDisk += static_cast<uint32_t>(pending);
                EXPECT_EQ(buffer.Length(), 0);
            } else {
                EXPECT_EQ(buffer.Length(), pending);
            }
            EXPECT_EQ(output.RecordedSize(), onDisk);
        }
        Flush(&output, buffer);
        EXPECT_EQ(buffer.Length(), 0);
        output.Close();
        EXPECT_EQ(ReadText(path_), document);
    }
}

} // namespace
} // namespace tqxml
