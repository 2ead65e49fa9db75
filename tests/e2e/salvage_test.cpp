// Salvage: a damaged entry no longer ends the replay when the person
// converting asks for it; the records behind it are read from the next place
// where the journal can be trusted. What salvage must never do is invent a
// record, or change the document of a job it has nothing to salvage in.
#include "e2e_support.h"

#include "convert/export.h"
#include "generator.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace tqxml {
namespace {

class Salvage : public JobFileTest {
protected:
    // The job's document, with or without salvage; its status and report.
    std::string Convert(const std::string& path, bool salvage, unsigned expected = 0,
                        ConversionReport* report = nullptr) {
        ConversionOptions options;
        options.salvage = salvage;
        std::remove(xml.c_str());
        EXPECT_EQ(ConvertJobFile(path.c_str(), xml.c_str(), nullptr, options, report), expected);
        return ReadText(xml);
    }

    // The record blocks of the salvaged document (comments apart), the
    // number of comments and the report.
    std::vector<std::string> SalvagedRecords(const std::string& path, int* comments = nullptr,
                                             ConversionReport* report = nullptr) {
        std::vector<std::string> records;
        int seen = 0;
        for (const std::string& block : RecordBlocks(Convert(path, true, 0, report))) {
            if (block.starts_with("\r\n    <!--")) ++seen; // a gap's comment
            else records.push_back(block);
        }
        if (comments) *comments = seen;
        return records;
    }
};

// The five notes of the damage table (2 and 3 in one transaction) damaged
// at every byte, each of three ways: every record salvage gives is one of
// the whole job's, whole, in its order, and each gap is said once.
TEST_F(Salvage, AByteDamagedAnywhereGivesOnlyRecordsOfTheWholeJob) {
    WriteDamageJob(job);
    const std::vector<std::string> clean = RecordBlocks(Convert(job, false));
    ASSERT_EQ(clean.size(), 5u);
    const std::vector<uint8_t> whole = ReadFileBytes(job);
    const std::vector<uint32_t> entries = EntryPositions(job);
    for (const uint8_t mask : {0x01, 0xFF}) {
        for (uint32_t offset = entries[0]; offset < whole.size(); ++offset) {
            SCOPED_TRACE("byte " + std::to_string(offset) + " mask " + std::to_string(mask));
            WriteFileBytes(job, whole);
            FlipByte(job, offset, mask);
            int comments = 0;
            const std::vector<std::string> records = SalvagedRecords(job, &comments);
            EXPECT_EQ(comments, 1);
            auto from = clean.begin();
            for (const std::string& record : records) {
                from = std::find(from, clean.end(), record);
                ASSERT_NE(from, clean.end()) << record;
            }
        }
    }
}

// Where the damage falls decides what comes back: the entries after the
// damaged one, less a transaction it cut; nothing after a cut end.
TEST_F(Salvage, EachDamagedPlaceIsAGapInTheReport) {
    WriteDamageJob(job);
    const std::vector<std::string> clean = RecordBlocks(Convert(job, false));
    const std::vector<uint8_t> whole = ReadFileBytes(job);
    const std::vector<uint32_t> at = EntryPositions(job);
    const auto records = [&](std::initializer_list<int> numbers) {
        std::vector<std::string> blocks;
        for (int n : numbers) blocks.push_back(clean[n - 1]);
        return blocks;
    };
    struct Case {
        const char* name;
        std::vector<uint32_t> flips; // offsets of bytes flipped
        uint32_t cut;                // the file's new size, 0: uncut
        std::vector<std::string> kept;
        std::vector<std::pair<uint32_t, uint32_t>> gaps; // where, and where reading went on
    };
    const uint32_t size = static_cast<uint32_t>(whole.size());
    const Case cases[] = {
        {"first entry", {at[0] + 9}, 0, records({2, 3, 4, 5}), {{at[0], at[1]}}},
        // Note 2 opens a transaction: note 3, its other half, goes with it.
        {"inside a transaction", {at[1] + 9}, 0, records({1, 4, 5}), {{at[1], at[2]}}},
        {"last entry", {at[4] + 9}, 0, records({1, 2, 3, 4}), {{at[4], 0}}},
        {"two places", {at[0] + 9, at[3] + 9}, 0, records({2, 3, 5}),
         {{at[0], at[1]}, {at[3], at[4]}}},
        {"length field", {at[3]}, 0, records({1, 2, 3, 5}), {{at[3], at[4]}}},
        {"cut end", {}, size - 3, records({1, 2, 3, 4}), {{at[4], 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(job, whole);
        for (uint32_t offset : c.flips) FlipByte(job, offset);
        if (c.cut) CutAt(job, c.cut);
        ConversionReport report;
        EXPECT_EQ(SalvagedRecords(job, nullptr, &report), c.kept);
        ASSERT_EQ(report.gaps.size(), c.gaps.size());
        for (size_t i = 0; i < c.gaps.size(); ++i) {
            EXPECT_EQ(report.gaps[i].Position, c.gaps[i].first);
            EXPECT_EQ(report.gaps[i].ResumedAt, c.gaps[i].second);
        }
    }
}

// Without damage, salvage changes nothing: the same bytes, no gap. And
// what follows a valid entry as random bytes, however many, is no record.
TEST_F(Salvage, NothingIsInventedAndAWholeJobIsUntouched) {
    ASSERT_TRUE(genjob::WriteGeneratedJob(Str(job.c_str()), 300, 3));
    ConversionReport report;
    EXPECT_EQ(Convert(job, true, 0, &report), Convert(job, false));
    EXPECT_TRUE(report.gaps.empty());

    WriteDamageJob(job);
    const std::vector<uint32_t> at = EntryPositions(job);
    CutAt(job, at[1]); // note 1 alone, then noise
    std::vector<uint8_t> bytes = ReadFileBytes(job);
    const size_t header = bytes.size();
    std::mt19937 random(2024);
    bytes.resize(header + (4u << 20));
    for (size_t i = header; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(random());
    WriteFileBytes(job, bytes);
    const std::string plain = Convert(job, false);
    EXPECT_EQ(SalvagedRecords(job, nullptr, &report), RecordBlocks(plain));
    ASSERT_EQ(report.gaps.size(), 1u);
    EXPECT_EQ(report.gaps[0].ResumedAt, 0u);

    bytes.erase(bytes.begin() + at[0], bytes.begin() + header); // noise straight after the header
    WriteFileBytes(job, bytes);
    EXPECT_EQ(Convert(job, true, 4), "");
}

// Generated jobs, which hold records of every family, damaged in the middle
// three ways: a flipped byte, 512 bytes zeroed as a lost flash sector
// leaves, 97 stray bytes inserted. Salvage gives back most of the whole
// job's records as they are, and few that the whole job lacks (older forms
// of records whose replacing entry was lost).
TEST_F(Salvage, GivesBackMostRecordsOfGeneratedJobs) {
    using B = std::vector<uint8_t>&;
    const struct {
        const char* name;
        void (*apply)(B bytes, size_t at);
    } damages[] = {
        {"flip", [](B b, size_t at) { b[at] ^= 0xFF; }},
        {"zero 512", [](B b, size_t at) { std::fill_n(b.data() + at, 512, 0); }},
        {"insert 97",
         [](B b, size_t at) {
             for (int i = 96; i >= 0; --i) // each in front of the one after it
                 b.insert(b.begin() + static_cast<std::ptrdiff_t>(at),
                          static_cast<uint8_t>(i * 37 + 11));
         }},
    };
    std::map<std::string, std::pair<double, double>> totals; // kept share, extra records
    const int seeds = 8;
    for (int seed = 1; seed <= seeds; ++seed) {
        ASSERT_TRUE(genjob::WriteGeneratedJob(Str(job.c_str()), 1500, static_cast<uint64_t>(seed)));
        const std::vector<uint8_t> whole = ReadFileBytes(job);
        std::map<std::string, int> clean;
        for (const std::string& block : RecordBlocks(Convert(job, false))) ++clean[block];
        for (const auto& damage : damages) {
            SCOPED_TRACE(std::string(damage.name) + " seed " + std::to_string(seed));
            std::vector<uint8_t> bytes = whole;
            damage.apply(bytes, bytes.size() / 2 + static_cast<size_t>(seed) * 131);
            WriteFileBytes(job, bytes);
            std::map<std::string, int> left = clean;
            int kept = 0, extra = 0, total = 0;
            for (const auto& [block, count] : clean) total += count;
            for (const std::string& block : SalvagedRecords(job)) {
                if (left[block] > 0) --left[block], ++kept;
                else ++extra;
            }
            totals[damage.name].first += static_cast<double>(kept) / total / seeds;
            totals[damage.name].second += static_cast<double>(extra) / seeds;
        }
    }
    for (const auto& [name, figures] : totals) {
        EXPECT_GE(figures.first, 0.85) << name << ": the share of the records kept";
        EXPECT_LE(figures.second, 5.0) << name << ": extra records a job";
    }
}

} // namespace
} // namespace tqxml
