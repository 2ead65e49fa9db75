// The document's schema and reference, generated from the declarations: every
// document the conversion writes validates (the golden ones, the sample,
// generated jobs of every family, damaged ones), and a document whose field
// elements are renamed, dropped, moved or of the wrong form does not. The
// committed reference is the one the declarations give.
#include "e2e_support.h"

#include "convert/export.h"
#include "convert/schema.h"
#include "convert/transcode.h"
#include "generator.h"

#include <libxml/xmlschemas.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace tqxml {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = TQXML_SOURCE_DIR;

class Schema : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string text = DocumentSchema();
        xmlSchemaParserCtxtPtr parser =
            xmlSchemaNewMemParserCtxt(text.data(), static_cast<int>(text.size()));
        schema_ = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
    }
    static void TearDownTestSuite() {
        xmlSchemaFree(schema_);
        schema_ = nullptr;
    }

    // Whether `document` (UTF-8) validates; the first complaint when not.
    static ::testing::AssertionResult Valid(const std::string& document) {
        if (!schema_) return ::testing::AssertionFailure() << "the schema does not compile";
        xmlDocPtr parsed = xmlReadMemory(document.data(), static_cast<int>(document.size()),
                                         nullptr, nullptr,
                                         XML_PARSE_NONET | XML_PARSE_NOERROR |
                                             XML_PARSE_NOWARNING | XML_PARSE_HUGE);
        if (!parsed) return ::testing::AssertionFailure() << "not well-formed";
        std::string complaint;
        xmlSchemaValidCtxtPtr context = xmlSchemaNewValidCtxt(schema_);
        xmlSchemaSetValidStructuredErrors(
            context,
            [](void* into, xmlError* error) {
                auto& text = *static_cast<std::string*>(into);
                if (text.empty() && error && error->message) text = error->message;
            },
            &complaint);
        const int result = xmlSchemaValidateDoc(context, parsed);
        xmlSchemaFreeValidCtxt(context);
        xmlFreeDoc(parsed);
        if (result == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << complaint;
    }

    // The document of `job` as --text-encoding CP1252 gives it: the one a
    // strict parser reads.
    std::string StrictDocument(const std::string& job, const ConversionOptions& options = {}) {
        const std::string raw = dir.File("raw.xml");
        EXPECT_EQ(ConvertJobFile(job.c_str(), raw.c_str(), nullptr, options), 0u) << job;
        std::string document;
        EXPECT_EQ(TranscodeDocument(raw,
                                    [&](std::string_view bytes) {
                                        document.append(bytes);
                                        return 0;
                                    },
                                    "CP1252"),
                  0);
        return document;
    }

    static xmlSchemaPtr schema_;
    TempDir dir;
};
xmlSchemaPtr Schema::schema_ = nullptr;

TEST_F(Schema, EveryDocumentValidates) {
    std::vector<std::string> jobs = {(kSourceDir / "examples" / "sample.job").string()};
    for (const auto& entry : fs::directory_iterator(kSourceDir / "tests" / "golden"))
        if (entry.path().extension() == ".job") jobs.push_back(entry.path().string());
    ASSERT_GE(jobs.size(), 11u);
    // Generated jobs mix every record family with modifiers, measurements,
    // inserts, replaces and deletes; their paths hold a control character
    // and a byte that is no UTF-8, which the document names them by.
    for (uint64_t seed : {1, 2, 3}) {
        jobs.push_back(dir.File("generated\x01" + std::to_string(seed) + "\xFF.job"));
        ASSERT_TRUE(genjob::WriteGeneratedJob(Str(jobs.back().c_str()), 2000, seed));
    }
    for (const std::string& job : jobs)
        EXPECT_TRUE(Valid(StrictDocument(job))) << job;

    // Damaged, and salvaged: the comments, the values a re-signed damaged
    // record gives (reals of any bit pattern, names outside their tables).
    const std::string damaged = dir.File("damaged.job");
    fs::copy_file(jobs.back(), damaged);
    const std::vector<uint32_t> entries = EntryPositions(damaged);
    for (size_t i = 10; i < entries.size(); i += 97) {
        FlipByte(damaged, entries[i] + 20, 0x5A);
        if (i % 2) ResignEntry(damaged, entries[i]);
    }
    ConversionOptions salvage;
    salvage.salvage = true;
    EXPECT_TRUE(Valid(StrictDocument(damaged, salvage)));
}

// One field element renamed, dropped or moved, or a value of the wrong form,
// anywhere: the document no longer validates.
TEST_F(Schema, AChangedFieldFails) {
    const std::string document =
        StrictDocument((kSourceDir / "tests" / "golden" / "observation.job").string());
    ASSERT_TRUE(Valid(document));
    const auto changed = [&](const std::string& pattern, const std::string& replacement) {
        const std::string result =
            std::regex_replace(document, std::regex(pattern), replacement,
                               std::regex_constants::format_first_only);
        EXPECT_TRUE(result != document) << pattern << " changes nothing";
        return result;
    };
    const struct {
        const char* what;
        std::string document;
    } cases[] = {
        {"renamed", changed("<PointName>([^<]*)</PointName>", "<PointNam>$1</PointNam>")},
        {"dropped", changed("\r\n *<Method>[^<]*</Method>", "")},
        {"dropped, empty", changed("\r\n *<Description2/>", "")},
        {"moved", changed("(\r\n *<Method>[^<]*</Method>)(\r\n *<SurveyMethod>[^<]*</SurveyMethod>)",
                          "$2$1")},
        {"extra", changed("(\r\n *<PointName>)", "\r\n        <Extra/>$1")},
        {"hexadecimal ID", changed("ID=\"0x0000000", "ID=\"0x000000")},
        {"type of another record", changed("type=\"002\"", "type=\"003\"")},
        {"real", changed("TimeStamp=\"([0-9.]+)\"", "TimeStamp=\"1e5\"")},
        {"name outside the table", changed("<Method>DBENTITY_[A-Za-z]+</Method>",
                                           "<Method>DBENTITY_Nothing</Method>")},
        {"bool", changed(">true<", ">yes<")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(Valid(c.document)) << c.what;
}

// The committed reference is what the declarations give now; after a change
// of a declaration: build/tqxml --reference > doc/document-format.md
TEST(Reference, TheCommittedReferenceIsCurrent) {
    EXPECT_EQ(ReadText((kSourceDir / "doc" / "document-format.md").string()), DocumentReference())
        << "regenerate with: build/tqxml --reference > doc/document-format.md";
}

} // namespace
} // namespace tqxml
