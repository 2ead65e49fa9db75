#include "xml/xml_out.h"

#include "platform/file.h"
#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tqxml {
namespace {

std::string Encoded(const char* text) {
    return std::string(EncodeXmlText(text).View());
}

// Markup and control bytes become entities, bytes from 0x7F up stay as they
// are; spaces (only spaces) at either end are dropped, even next to an entity.
TEST(XmlEncoding, MarkupControlBytesAndSpaces) {
    const std::pair<const char*, const char*> cases[] = {
        {"a&b<c>d'e\"f", "a&amp;b&lt;c&gt;d&apos;e&quot;f"},
        {"\x01\t\r\n\x1f", "&#x001;&#x009;&#x00d;&#x00a;&#x01f;"},
        {"!~/=;#\x7f\x80\xc3\xa9\xff", "!~/=;#\x7f\x80\xc3\xa9\xff"},
        {"   a  b   c   ", "a  b   c"},
        {"     ", ""},
        {"\t x \t", "&#x009; x &#x009;"},
        {" & x < ", "&amp; x &lt;"},
    };
    for (const auto& [text, encoded] : cases)
        EXPECT_EQ(Encoded(text), encoded) << text;
    EXPECT_EQ(Encoded(nullptr), "");
}

// Appending stops at a NUL, and trimming never reaches into what the buffer
// already held.
TEST(XmlEncoding, AppendStopsAtNulAndKeepsWhatIsThere) {
    const std::tuple<const char*, const char*, int32_t, const char*> cases[] = {
        {"keep ", "  a<b\0c", 7, "keep a&lt;b"},
        {"keep ", "   ", 3, "keep "},
        {"x ", " y ", 3, "x y"},
    };
    for (const auto& [before, text, length, expected] : cases) {
        Str out(before);
        AppendEncodedXmlText(out, text, length);
        EXPECT_EQ(out, expected) << text;
    }
}

TEST(XmlEncoding, LongTextIsReportedAndEncodedFully) {
    RecordingEnvironment env;
    const std::string longest(5196, 'a');
    EXPECT_EQ(Encoded(longest.c_str() + 1).size(), 5195u);
    EXPECT_TRUE(env.assertions.empty());
    EXPECT_EQ(Encoded(longest.c_str()), longest);
    EXPECT_EQ(env.assertions, std::vector<std::string>{"strlen (string) < 5196"});

    // Longer than one encoding piece: nothing is lost at the seams.
    std::string huge(200000, '"');
    huge[70000] = ' ';
    const std::string encodedHuge = Encoded(huge.c_str());
    EXPECT_EQ(encodedHuge.size(), 199999u * 6 + 1);
    EXPECT_EQ(encodedHuge.substr(70000 * 6, 7), " &quot;");
}

// Records, nesting and the common field forms are what every golden
// document shows; these are the sink's own rules: attributes encoded, spaces
// only count as text though nothing of them is written, and text beside
// children takes a line of its own.
TEST(XmlStream, ElementForms) {
    Str laid;
    StreamSink s(laid, nullptr);
    s.Begin("Feature");
    s.Attribute("Name", "  a\"b ");
    s.Attribute("Empty", "");
    s.End();
    s.Begin("Point");
    s.Attribute("n", "0");
    s.Text("a<b");
    s.End();
    s.Begin("DATABASE_NoteRecord", true);
    s.Text("a\tnote ");
    s.End();
    s.Begin("Outer");
    s.Text("x&y");
    s.Leaf("Inner", " 1.5 ");
    s.Leaf("Name", "");
    s.Leaf("Name", "   ");
    s.End();
    EXPECT_EQ(std::string(laid.View()), "    <Feature Name=\"a&quot;b\" Empty=\"\"/>\r\n"
                                        "    <Point n=\"0\">a&lt;b</Point>\r\n"
                                        "\r\n"
                                        "    <DATABASE_NoteRecord>\r\n"
                                        "        a&#x009;note\r\n"
                                        "    </DATABASE_NoteRecord>\r\n"
                                        "    <Outer>\r\n"
                                        "        x&amp;y\r\n"
                                        "        <Inner>1.5</Inner>\r\n"
                                        "        <Name/>\r\n"
                                        "        <Name></Name>\r\n"
                                        "    </Outer>\r\n");
}

// The document's frame: the declaration, the root element with its
// attributes and a blank line, its records, its end tag; without an output
// everything stays pending.
TEST(XmlDocument, FrameAroundTheRecords) {
    Str pending;
    StreamSink sink(pending, nullptr);
    sink.BeginDocument("JOBFile");
    sink.Attribute("jobFilename", " a&b.job");
    sink.Begin("R", true);
    sink.Leaf("F", std::string(70000, 'y'));
    sink.End();
    sink.EndDocument();
    EXPECT_EQ(std::string(pending.View()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n"
              "<JOBFile jobFilename=\"a&amp;b.job\">\r\n\r\n"
              "\r\n    <R>\r\n        <F>" + std::string(70000, 'y') + "</F>\r\n    </R>\r\n"
              "</JOBFile>\r\n");
}

// A document written through a real file, its pending text crossing the
// flush threshold by a few bytes either way.
TEST(XmlFlush, FlushesOnlyAboveTheThresholdAndLosesNothing) {
    TempDir dir;
    const std::string path = dir.File("flushed.xml");
    for (int32_t total = kFlushThreshold - 3; total <= kFlushThreshold + 3; ++total) {
        SCOPED_TRACE(total);
        std::remove(path.c_str());
        file_Class output{Str(path.c_str())};
        ASSERT_TRUE(output.Create());
        FileOutput toFile(&output);

        Str buffer;
        std::string document;
        uint32_t onDisk = 0;
        // Fields at depth 1 of these sizes (13 bytes of markup each); the
        // pending text reaches exactly `total` with the second.
        const int32_t sizes[] = {40000, total - 40000, 100, kFlushThreshold, 14, 14};
        for (int32_t size : sizes) {
            const std::string text(static_cast<size_t>(size - 13), 'v');
            const int32_t pending = buffer.Length() + size;
            StreamSink(buffer, &toFile, 1).Leaf("F", text);
            document += "    <F>" + text + "</F>\r\n";
            if (pending > kFlushThreshold) {
                onDisk += static_cast<uint32_t>(pending);
                EXPECT_EQ(buffer.Length(), 0);
            } else {
                EXPECT_EQ(buffer.Length(), pending);
            }
            EXPECT_EQ(output.RecordedSize(), onDisk);
        }
        toFile.Take(buffer);
        EXPECT_EQ(buffer.Length(), 0);
        output.Close();
        EXPECT_EQ(ReadText(path), document);
    }
}

} // namespace
} // namespace tqxml
