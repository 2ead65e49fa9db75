// The walk lays records straight into the output (StreamSink); the element
// tree laid out by Write is the reference. The two must agree byte for byte
// for every record type, with notes, measurements, edge values, and at the
// flush points of the output.
#include "convert/driver.h"
#include "convert/xml_sink.h"
#include "platform/file.h"
#include "records/all_records.h"
#include "support/journal_damage.h"
#include "filler.h"
#include "support/record_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace tqxml {
namespace {

std::string TreeText(const dbRecord_Class& record) {
    return TreeRecordText(record);
}

std::string StreamText(const dbRecord_Class& record) {
    Str text;
    WriteRecord(record, text, nullptr);
    return std::string(text.View());
}

std::unique_ptr<dbRecord_Class> FilledRecord(uint32_t type, std::mt19937_64& random) {
    auto record = CreateRecord(type);
    FillRecord(*record, random);
    if (type == DATABASE_ObservationRecord && random() % 4 != 0) {
        auto measurement =
            CreateRecord(DATABASE_ECEFDeltasRecord + static_cast<uint32_t>(random() % 11));
        FillRecord(*measurement, random);
        static_cast<db_Observation&>(*record).SetMeasurement(*measurement);
    }
    return record;
}

TEST(StreamedRecords, EqualTheLaidOutTreeForEveryRecordType) {
    std::mt19937_64 random(20261205);
    for (uint32_t type = 0; type < DATABASE_AllRecords; ++type) {
        for (int round = 0; round < 60; ++round) {
            auto record = FilledRecord(type, random);
            ASSERT_EQ(TreeText(*record), StreamText(*record))
                << "record type " << type << ", round " << round;
        }
    }
}

TEST(StreamedRecords, EqualTheTreeForNotesAndEmptyRecords) {
    const char* const notes[] = {"", "one", "a\r\n\r\nb\r\n", "a\n\rb", "  ", "x\n", "\r", "<&>"};
    for (uint32_t type : {DATABASE_NoteRecord, DATABASE_EndEntityRecord, DATABASE_JobHeaderRecord,
                          DATABASE_ForeignRecord, DATABASE_TimeZoneRecord}) {
        for (const char* note : notes) {
            auto record = CreateRecord(type);
            record->Note = note;
            record->TimeStamp = 1e308;
            EXPECT_EQ(TreeText(*record), StreamText(*record))
                << "type " << type << " note \"" << note << "\"";
            if (type == DATABASE_JobHeaderRecord) {
                static_cast<db_JobHeader&>(*record).HeaderText = "  header  ";
                EXPECT_EQ(TreeText(*record), StreamText(*record));
            }
        }
    }
}

// A cancelled run keeps what was flushed; the stream must flush where Write
// does, so that a cut-off document is the same whichever form wrote it.
TEST(StreamedRecords, FlushAtTheSamePointsAsTheTree) {
    TempDir dir;
    std::mt19937_64 random(7);
    std::vector<std::unique_ptr<dbRecord_Class>> records;
    while (records.size() < 3000) {
        const auto type = static_cast<uint32_t>(random() % DATABASE_AllRecords);
        if (HasRecordWriter(type) || random() % 8 == 0)
            records.push_back(FilledRecord(type, random));
    }

    auto writeAll = [&](const std::string& path, bool stream, size_t count) {
        file_Class file{Str(path.c_str())};
        EXPECT_TRUE(file.Create());
        Str buffer;
        for (size_t i = 0; i < count; ++i) {
            if (stream) {
                WriteRecord(*records[i], buffer, &file);
            } else {
                xmlout_element* element = WriteRecordElement(*records[i]);
                if (!records[i]->Note.IsEmpty()) AddNoteLines(element, records[i]->Note);
                AddRecordAttributes(element, *records[i]);
                element->isRecord = true;
                Write(element, &file, true, 1, buffer);
                delete element;
            }
        }
        file.Close(); // what is still pending is dropped, as on a cancel
    };
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (size_t count : {size_t{1}, size_t{400}, size_t{1111}, size_t{3000}}) {
        const std::string tree = dir.Path() + "/tree.xml";
        const std::string stream = dir.Path() + "/stream.xml";
        writeAll(tree, false, count);
        writeAll(stream, true, count);
        const std::string flushed = read(tree);
        EXPECT_TRUE(flushed == read(stream))
            << "flushed output differs after " << count << " records";
        if (count > 1) {
            EXPECT_GT(flushed.size(), size_t{kFlushThreshold}) << count << " records";
        }
        std::remove(tree.c_str());
        std::remove(stream.c_str());
    }
}

} // namespace
} // namespace tqxml
