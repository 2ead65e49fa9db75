#include "xml/xml_out.h"

#include "platform/file.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace tqxml {
namespace {

std::string Written(const xmlout_element& e, bool indent = true, int32_t depth = 1) {
    Str buffer;
    Write(&e, nullptr, indent, depth, buffer);
    return std::string(buffer.View());
}

std::string Encoded(const char* text) {
    return std::string(EncodeXmlText(text).View());
}

xmlout_element* Field(const char* name, const char* text) {
    return new xmlout_element(name, Str(text));
}

TEST(XmlEncoding, MarkupAndControlBytes) {
    EXPECT_EQ(Encoded("a&b<c>d'e\"f"), "a&amp;b&lt;c&gt;d&apos;e&quot;f");
    EXPECT_EQ(Encoded("a\tb"), "a&#x009;b");
    EXPECT_EQ(Encoded("line1\r\nline2"), "line1&#x00d;&#x00a;line2");
    EXPECT_EQ(Encoded("\x01\x1f"), "&#x001;&#x01f;");
    EXPECT_EQ(Encoded("\x7f\x80\xc3\xa9\xff"), "\x7f\x80\xc3\xa9\xff");
    EXPECT_EQ(Encoded("!~/=;#"), "!~/=;#");
}

TEST(XmlEncoding, LeadingAndTrailingSpacesDropped) {
    EXPECT_EQ(Encoded("   a  b   c   "), "a  b   c");
    EXPECT_EQ(Encoded("     "), "");
    EXPECT_EQ(Encoded(""), "");
    EXPECT_EQ(Encoded(nullptr), "");
    // Only spaces are trimmed: a tab at either end is kept, encoded.
    EXPECT_EQ(Encoded("\t x \t"), "&#x009; x &#x009;");
    // A space after an entity is trailing, one before an entity is not.
    EXPECT_EQ(Encoded(" & "), "&amp;");
    EXPECT_EQ(Encoded("x <"), "x &lt;");
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

TEST(XmlElement, AttributesAreSerialisedInOrderAndEncoded) {
    xmlout_element e("Feature");
    e.AddAttribute("Name", "  a\"b ");
    e.AddAttribute("Name", "2");
    e.AddAttribute("Empty", "");
    EXPECT_EQ(e.attributes, " Name=\"a&quot;b\" Name=\"2\" Empty=\"\"");
    EXPECT_EQ(Written(e), "    <Feature Name=\"a&quot;b\" Name=\"2\" Empty=\"\"/>\r\n");
}

TEST(XmlElement, ChildrenAreLinkedInOrder) {
    RecordingEnvironment env;

    xmlout_element e("R");
    e.AddChild(nullptr);
    EXPECT_EQ(e.firstChild, nullptr);
    EXPECT_EQ(e.lastChild, nullptr);

    auto* a = Field("A", "1");
    auto* b = Field("B", "2");
    e.AddChild(a);
    e.AddChild(nullptr);
    e.AddChild(b);
    EXPECT_EQ(e.firstChild, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(e.lastChild, b);
    EXPECT_EQ(b->next, nullptr);

    // A broken end link is reported; the child still lands at the end.
    e.lastChild = nullptr;
    auto* c = Field("C", "3");
    e.AddChild(c);
    EXPECT_EQ(b->next, c);
    EXPECT_EQ(e.lastChild, c);
    ASSERT_EQ(env.assertions.size(), 1u);
    EXPECT_EQ(env.assertions[0], "this->lastChild");
}

TEST(XmlWrite, FieldForms) {
    EXPECT_EQ(Written(xmlout_element("Name"), true, 2), "        <Name/>\r\n");
    EXPECT_EQ(Written(xmlout_element("Name", Str()), true, 2), "        <Name/>\r\n");
    EXPECT_EQ(Written(xmlout_element("Name", Str(" 1.5 ")), true, 2),
              "        <Name>1.5</Name>\r\n");
    // Spaces only count as text, though nothing of them is written.
    EXPECT_EQ(Written(xmlout_element("Name", Str("   ")), true, 2), "        <Name></Name>\r\n");
    xmlout_element withAttribute("Point", Str("a<b"));
    withAttribute.AddAttribute("n", "0");
    EXPECT_EQ(Written(withAttribute, true, 2), "        <Point n=\"0\">a&lt;b</Point>\r\n");
}

TEST(XmlWrite, RecordLayout) {
    xmlout_element record("DATABASE_PointRecord");
    record.isRecord = true;
    record.AddAttribute("ID", "0x00000001");
    record.AddChild(Field("Name", "P1"));
    record.AddChild(Field("Code", ""));
    auto* grid = new xmlout_element("Grid");
    grid->AddAttribute("datatype", "coord_Local");
    grid->AddChild(Field("North", "1000"));
    grid->AddChild(Field("East", "2000.5"));
    record.AddChild(grid);
    EXPECT_EQ(Written(record), "\r\n"
                               "    <DATABASE_PointRecord ID=\"0x00000001\">\r\n"
                               "        <Name>P1</Name>\r\n"
                               "        <Code/>\r\n"
                               "        <Grid datatype=\"coord_Local\">\r\n"
                               "            <North>1000</North>\r\n"
                               "            <East>2000.5</East>\r\n"
                               "        </Grid>\r\n"
                               "    </DATABASE_PointRecord>\r\n");

    xmlout_element empty("DATABASE_EmptyRecord");
    empty.isRecord = true;
    empty.AddAttribute("ID", "0x00000002");
    EXPECT_EQ(Written(empty), "\r\n    <DATABASE_EmptyRecord ID=\"0x00000002\"/>\r\n");

    // A record with text and no fields still takes the multi-line form.
    xmlout_element texted("DATABASE_NoteRecord", Str("a\tnote "));
    texted.isRecord = true;
    EXPECT_EQ(Written(texted), "\r\n"
                               "    <DATABASE_NoteRecord>\r\n"
                               "        a&#x009;note\r\n"
                               "    </DATABASE_NoteRecord>\r\n");
}

TEST(XmlWrite, TextWithChildrenGoesOnItsOwnLine) {
    xmlout_element e("Outer", Str("x&y"));
    e.AddChild(Field("Inner", "1"));
    EXPECT_EQ(Written(e, true, 2), "        <Outer>\r\n"
                                   "            x&amp;y\r\n"
                                   "            <Inner>1</Inner>\r\n"
                                   "        </Outer>\r\n");
}

TEST(XmlWrite, WithoutIndentation) {
    xmlout_element record("R", Str("t"));
    record.isRecord = true;
    record.AddChild(Field("A", "1"));
    record.AddChild(Field("B", ""));
    auto* sub = new xmlout_element("S");
    sub->AddChild(Field("C", "2"));
    record.AddChild(sub);
    EXPECT_EQ(Written(record, false, 1),
              "<R>\r\nt\r\n<A>1</A>\r\n<B/>\r\n<S>\r\n<C>2</C>\r\n</S>\r\n</R>\r\n");
    // The depth plays no part then.
    EXPECT_EQ(Written(xmlout_element("E"), false, 7), "<E/>\r\n");
}

TEST(XmlWrite, AppendsToWhatTheBufferHolds) {
    Str buffer("<JOBFile>\r\n");
    xmlout_element e("A", Str("1"));
    Write(&e, nullptr, true, 1, buffer);
    Write(&e, nullptr, true, 1, buffer);
    EXPECT_EQ(buffer, "<JOBFile>\r\n    <A>1</A>\r\n    <A>1</A>\r\n");
}

TEST(XmlWrite, LongFieldTextIsWrittenInFull) {
    std::string text(100000, 'x');
    text[50000] = '<';
    xmlout_element e("Long", Str(text.c_str()));
    const std::string written = Written(e, true, 2);
    EXPECT_EQ(written.size(), 8 + 6 + 100003 + 9);
    EXPECT_EQ(written.substr(8 + 6 + 50000, 5), "&lt;x");
    EXPECT_EQ(written.substr(written.size() - 10), "x</Long>\r\n");
}

TEST(XmlFlush, NothingIsWrittenWithoutAnOutput) {
    Str buffer;
    xmlout_element e("A", Str(std::string(70000, 'y').c_str()));
    Write(&e, nullptr, true, 1, buffer);
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
    void SetUp() override {
        _Path = ::testing::TempDir() + "xml_flush_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml";
        std::remove(_Path.c_str());
    }
    void TearDown() override { std::remove(_Path.c_str()); }

    std::string ReadBack() const {
        std::string bytes;
        if (FILE* f = std::fopen(_Path.c_str(), "rb")) {
            char block[4096];
            size_t n;
            while ((n = std::fread(block, 1, sizeof block, f)) > 0)
                bytes.append(block, n);
            std::fclose(f);
        }
        return bytes;
    }

    std::string _Path;
};

// A field at depth 1 that serialises to exactly `size` bytes (at least 14).
xmlout_element FieldOfSize(int32_t size) {
    return xmlout_element("F", Str(std::string(static_cast<size_t>(size - 13), 'v').c_str()));
}

TEST_F(XmlFlushToFile, FlushesOnlyAboveTheThresholdAndLosesNothing) {
    for (int32_t total = kFlushThreshold - 3; total <= kFlushThreshold + 3; ++total) {
        SCOPED_TRACE(total);
        std::remove(_Path.c_str());
        file_Class output{Str(_Path.c_str())};
        ASSERT_TRUE(output.Create());

        Str buffer;
        std::string document;
        uint32_t onDisk = 0;
        // The pending text reaches exactly `total` with the second field.
        const int32_t sizes[] = {40000, total - 40000, 100, kFlushThreshold, 14, 14};
        for (int32_t size : sizes) {
            const xmlout_element field = FieldOfSize(size);
            Str piece;
            Write(&field, nullptr, true, 1, piece);
            ASSERT_EQ(piece.Length(), size);
            document += piece.View();

            const int32_t pending = buffer.Length() + size;
            Write(&field, &output, true, 1, buffer);
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
        EXPECT_EQ(ReadBack(), document);
    }
}

TEST_F(XmlFlushToFile, RecordsFlushedMidwayComeOutWhole) {
    file_Class output{Str(_Path.c_str())};
    ASSERT_TRUE(output.Create());
    Str buffer("<JOBFile>\r\n");
    Str expected("<JOBFile>\r\n");
    for (int r = 0; r < 400; ++r) {
        xmlout_element record("DATABASE_PointRecord");
        record.isRecord = true;
        record.AddAttribute("ID", Str(std::to_string(r).c_str()));
        for (int f = 0; f < 20; ++f)
            record.AddChild(new xmlout_element("Value", Str(std::to_string(r * f).c_str())));
        Write(&record, nullptr, true, 1, expected);
        Write(&record, &output, true, 1, buffer);
        EXPECT_LE(buffer.Length(), kFlushThreshold + 64);
    }
    EXPECT_GT(output.RecordedSize(), 2u * kFlushThreshold);
    buffer.Append("</JOBFile>\r\n");
    expected.Append("</JOBFile>\r\n");
    Flush(&output, buffer);
    output.Close();
    EXPECT_EQ(ReadBack(), std::string(expected.View()));
}

} // namespace
} // namespace tqxml
