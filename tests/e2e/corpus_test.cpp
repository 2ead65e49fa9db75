// The fuzzer's seed jobs in fuzz/corpus: how they are made, and a replay of
// every file there (seeds and finds alike) through the conversion, so that
// each one is checked by the ordinary test run.
//
// To write the seeds again after a change of the journal's stored form:
//   TQXML_WRITE_SEEDS=1 ./build/tests/test_e2e --gtest_filter='FuzzCorpus.*'
#include "e2e_support.h"

#include "db/journal.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tqxml {
namespace {

namespace fs = std::filesystem;

fs::path CorpusDirectory() {
    return fs::weakly_canonical(fs::path(__FILE__).parent_path() / ".." / ".." / "fuzz" / "corpus");
}

struct Seed {
    std::string name;
    unsigned status; // of the conversion
    std::vector<uint8_t> bytes;
};

template <class R> R Stamped(double timeStamp, const char* note = "") {
    R record;
    record.TimeStamp = timeStamp;
    record.Note = note;
    return record;
}

void AppendEntry(JobFileWriter& writer, const std::vector<uint8_t>& entry) {
    writer.AppendRaw(entry.data(), static_cast<int32_t>(entry.size()));
}

// Notes of every kind of line break and of text that needs encoding.
void WriteNotes(JobFileWriter& writer) {
    auto crLf = Stamped<db_Note>(1, "first\r\n\r\nsecond\r\n");
    auto lfCr = Stamped<db_Note>(2, "north\n\rsouth");
    auto single = Stamped<db_Note>(3, "a\nb\rc  ");
    auto markup = Stamped<db_Note>(1e308, " <&> \"'\t\x01\xC3\xA9 ");
    writer.Add(crLf);
    writer.Add(lfCr);
    writer.Add(single);
    writer.Add(markup);
}

// Every action on records without fields, a discarded transaction and
// foreign data.
void WriteActions(JobFileWriter& writer) {
    auto first = Stamped<db_EndEntity>(10);
    auto rounds = Stamped<db_StartRounds>(11, "rounds");
    const db_DBIDValue firstId = writer.Add(first);
    writer.Add(rounds);
    auto inserted = Stamped<db_Note>(12, "in front");
    writer.Insert(firstId, inserted);
    auto attached = Stamped<db_Note>(13, "attached");
    writer.Attach(firstId, attached);
    auto replacement = Stamped<db_EndEntity>(14, "replaced");
    writer.Replace(firstId, replacement);
    auto foreign = Stamped<db_Foreign>(15);
    foreign.Name = "vendor";
    foreign.Data = {0, 1, 2, 0xFE, 0xFF};
    const db_DBIDValue foreignId = writer.Add(foreign);
    writer.BeginTransaction();
    auto dropped = Stamped<db_Note>(16, "dropped");
    writer.Add(dropped);
    writer.EndTransaction(true);
    auto gone = Stamped<db_EndRounds>(17);
    const db_DBIDValue goneId = writer.Add(gone);
    writer.Delete(goneId, gone);
    auto last = Stamped<db_EndRound>(18);
    writer.Insert(foreignId, last);
}

// An observation in its stored form, with one feature of three attributes,
// followed by every modifier record aimed at it.
void WriteModifiers(JobFileWriter& writer) {
    constexpr uint8_t kSingle = JOURNAL_SingleEntry;
    buffer_Writer point;
    PutRecordHeader(point, DATABASE_ObservationRecord, 1, 20, "point note");
    point.PutUInt32(1); // features
    point.PutString("TREE");
    point.PutString("tree");
    point.PutUInt32(3); // attributes
    point.PutUInt16(FEATURE_Numerical);
    point.PutString("Height");
    point.PutDouble(12.5);
    point.PutUInt16(FEATURE_Menu);
    point.PutString("Species");
    point.PutUInt16(2);
    point.PutString("oak");
    point.PutUInt16(FEATURE_Text);
    point.PutString("Remark");
    point.PutString("old");
    point.PutString("kerb"); // descriptions
    point.PutString("");
    point.PutString("P1"); // the observation's own fields
    AppendEntry(writer, RawEntry(kSingle, ACTION_Add, NODBID, Bytes(point)));
    writer.SetNextDBID(2);

    auto rename = Stamped<db_Str>(21);
    rename.Value = "P1a";
    writer.Attach(1, rename);
    auto descriptions = Stamped<db_Descriptions>(22);
    descriptions.Descriptions = {"kerb", "edge"};
    writer.Attach(1, descriptions);
    auto features = Stamped<db_Features>(23);
    Feature fence;
    fence.StringCode = "FENCE";
    fence.Name = "fence";
    FeatureAttribute kind;
    kind.Type = FEATURE_Separator;
    kind.Name = "---";
    fence.Attributes = {kind};
    features.Features = {fence};
    writer.Attach(1, features);
    auto reference = Stamped<db_DBID>(24);
    reference.Value = 1;
    writer.Attach(1, reference);
    auto deleted = Stamped<db_BoolAction>(25);
    deleted.Value = 0;
    writer.Attach(1, deleted);
    auto end = Stamped<db_EndEntity>(26);
    writer.Add(end);
}

// The job made by `write`, as bytes, after `damage` (given the file's path).
template <class Write, class Damage>
std::vector<uint8_t> MakeJob(const TempDir& dir, Write write, Damage damage) {
    const std::string path = dir.File("seed.job");
    {
        JobFileWriter writer;
        if (!writer.Create(Str(path.c_str()))) return {};
        write(writer);
        if (!writer.Close()) return {};
    }
    damage(path);
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::remove(path.c_str());
    return bytes;
}

std::vector<Seed> MakeSeeds() {
    TempDir dir;
    const auto none = [](const std::string&) {};
    const auto nothing = [](JobFileWriter&) {};
    std::vector<Seed> seeds;
    seeds.push_back({"seed-notes.job", 0, MakeJob(dir, WriteNotes, none)});
    seeds.push_back({"seed-actions.job", 0, MakeJob(dir, WriteActions, none)});
    seeds.push_back({"seed-modifiers.job", 0, MakeJob(dir, WriteModifiers, none)});
    seeds.push_back({"seed-old-header.job", 0, MakeJob(dir, WriteNotes, [](const std::string& p) {
                         std::vector<uint8_t> old(48, 0);
                         old[0] = 1, old[2] = 12, old[3] = 20, old[4] = 36;
                         PatchBytes(p, 0, old);
                     })});
    seeds.push_back(
        {"seed-damaged-crc.job", 0, MakeJob(dir, WriteActions, [](const std::string& p) {
             FlipByte(p, EntryPositions(p).at(3) + 9, 0x10);
         })});
    seeds.push_back({"seed-damaged-cut.job", 0, MakeJob(dir, WriteNotes, [](const std::string& p) {
                         CutAt(p, EntryPositions(p).at(2) + 7);
                     })});
    seeds.push_back(
        {"seed-damaged-length.job", 0, MakeJob(dir, WriteNotes, [](const std::string& p) {
             PatchUInt32(p, EntryPositions(p).at(1), 11);
         })});
    seeds.push_back({"seed-repair.job", 0, MakeJob(dir, WriteActions, [](const std::string& p) {
                         PatchBytes(p, EntryPositions(p).at(1) + 4, {JOURNAL_ManualRepair});
                     })});
    seeds.push_back({"seed-empty.job", 4, MakeJob(dir, nothing, none)});
    return seeds;
}

struct Conversion {
    unsigned status = 99;
    bool written = false;
    std::string document;
};

Conversion ConvertBytes(const TempDir& dir, const std::vector<uint8_t>& bytes) {
    const std::string job = dir.File("replay.job");
    const std::string xml = dir.File("replay.xml");
    WriteFileBytes(job, bytes);
    std::remove(xml.c_str());
    Conversion conversion;
    conversion.status = CreateTQXMLFile(job.c_str(), xml.c_str(), nullptr);
    conversion.written = PathExists(xml);
    if (conversion.written) conversion.document = ReadText(xml);
    return conversion;
}

TEST(FuzzCorpus, CheckedInSeedsAreTheGeneratorsOutput) {
    const fs::path corpus = CorpusDirectory();
    const bool rewrite = std::getenv("TQXML_WRITE_SEEDS") != nullptr;
    const std::vector<Seed> seeds = MakeSeeds();
    ASSERT_EQ(MakeSeeds().front().bytes, seeds.front().bytes) << "the generator is not repeatable";
    for (const Seed& seed : seeds) {
        ASSERT_FALSE(seed.bytes.empty()) << seed.name;
        const std::string path = (corpus / seed.name).string();
        if (rewrite) WriteFileBytes(path, seed.bytes);
        EXPECT_EQ(ReadFileBytes(path), seed.bytes)
            << seed.name << " differs from what the generator makes now; run with "
            << "TQXML_WRITE_SEEDS=1 to write the seeds again";
    }
}

TEST(FuzzCorpus, SeedsConvertAsIntended) {
    TempDir dir;
    for (const Seed& seed : MakeSeeds()) {
        const Conversion conversion = ConvertBytes(dir, seed.bytes);
        EXPECT_EQ(conversion.status, seed.status) << seed.name;
        if (conversion.status == 0) {
            EXPECT_TRUE(IsWellFormed(conversion.document)) << seed.name;
            EXPECT_FALSE(RecordBlocks(conversion.document).empty()) << seed.name;
        }
    }
}

TEST(FuzzCorpus, EveryFileConvertsOrIsRefused) {
    const fs::path corpus = CorpusDirectory();
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    EXPECT_GE(files.size(), MakeSeeds().size());

    TempDir dir;
    for (const fs::path& file : files) {
        const Conversion conversion = ConvertBytes(dir, ReadFileBytes(file.string()));
        if (conversion.status == 4u) {
            EXPECT_FALSE(conversion.written) << file.filename();
            continue;
        }
        ASSERT_EQ(conversion.status, 0u) << file.filename();
        EXPECT_TRUE(IsWellFormed(conversion.document)) << file.filename();
        EXPECT_FALSE(RecordBlocks(conversion.document).empty()) << file.filename();
    }
}

} // namespace
} // namespace tqxml
