// Every record type, filled with edge and random values, reads back from its
// stored form as it was written.
#include "records/all_records.h"
#include "filler.h"
#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace tqxml {
namespace {

std::string StoredForm(const dbRecord_Class& record) {
    const std::vector<uint8_t> bytes = StoredBytes(record);
    return std::string(bytes.begin(), bytes.end());
}

// The stored form after the common header (type, identifier, time stamp and
// note): what the class itself stores.
std::string OwnStoredForm(const dbRecord_Class& record) {
    const std::string stored = StoredForm(record);
    return stored.substr(stored.find('\0', 2 + 4 + 8) + 1);
}

TEST(RecordRoundTrip, EveryRecordTypeReadsBackItsStoredForm) {
    RecordingEnvironment env;
    std::mt19937_64 random(0x5EED);
    for (int round = 0; round < 200; ++round) {
        for (uint32_t type = 0; type < DATABASE_AllRecords; ++type) {
            const std::unique_ptr<dbRecord_Class> record = CreateRecord(type);
            ASSERT_NE(record, nullptr);
            FillRecord(*record, random);
            const std::string stored = StoredForm(*record);

            const std::unique_ptr<dbRecord_Class> back = CreateRecord(type);
            buffer_Class buffer(static_cast<int32_t>(stored.size()), ENDIAN_Little, stored.data());
            int32_t offset = 0;
            back->Read(buffer, offset);
            EXPECT_EQ(offset, static_cast<int32_t>(stored.size())) << RecordClassName(type);
            ASSERT_EQ(StoredForm(*back), stored) << RecordClassName(type) << " round " << round;
            EXPECT_EQ(StoredForm(*record->Clone()), stored) << RecordClassName(type);
        }
    }
    EXPECT_EQ(env.assertions, std::vector<std::string>{});
}

// A class that stores fields of its own gets them filled: some fill differs
// from a new record's, and the fills differ among themselves.
TEST(RecordRoundTrip, TheFillerReachesEveryStoredField) {
    std::mt19937_64 random(7);
    for (uint32_t type = 0; type < DATABASE_AllRecords; ++type) {
        const std::string fresh = OwnStoredForm(*CreateRecord(type));
        bool changed = false;
        for (int fill = 0; fill < 8 && !changed; ++fill) {
            const std::unique_ptr<dbRecord_Class> record = CreateRecord(type);
            FillRecord(*record, random);
            changed = OwnStoredForm(*record) != fresh;
        }
        if (!fresh.empty()) {
            EXPECT_TRUE(changed) << RecordClassName(type);
        }
    }
}

// Damaged stored forms of every type: each cut, and a hostile value (a huge
// or negative count, a text without its end) laid over every position. The
// read stays inside the bytes it is given and never trusts a count for more
// than the bytes that remain; the sanitizers watch the rest. The check made
// when an entry is read reports what the read reports, once, and ends where
// the read ends; read again from checked bytes, nothing is reported.
TEST(RecordRoundTrip, EveryRecordTypeReadsDamagedBytesWithoutHarm) {
    RecordingEnvironment env;
    std::mt19937_64 random(0xBAD);
    const uint8_t hostile[][4] = {{0xFF, 0xFF, 0xFF, 0x7F}, {0x00, 0x00, 0x00, 0x80},
                                  {0xFF, 0xFF, 0xFF, 0xFF}, {0x01, 0x01, 0x01, 0x01}};
    for (uint32_t type = 0; type < DATABASE_AllRecords; ++type) {
        const std::unique_ptr<dbRecord_Class> record = CreateRecord(type);
        FillRecord(*record, random);
        const std::string stored = StoredForm(*record);
        auto ReadBack = [&](const std::string& bytes) {
            const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
            const auto size = static_cast<int32_t>(bytes.size());
            env.assertions.clear();
            int32_t read = 0;
            CreateRecord(type)->Read(buffer_Class::View(data, size, true), read);
            const std::vector<std::string> reported = env.assertions;
            env.assertions.clear();
            int32_t checked = 0;
            CheckStoredRecord(type, buffer_Class::View(data, size, true), checked);
            ASSERT_EQ(env.assertions, reported) << RecordClassName(type);
            ASSERT_EQ(checked, read) << RecordClassName(type);
            EXPECT_LE(read, size) << RecordClassName(type);
            env.assertions.clear();
            int32_t again = 0;
            CreateRecord(type)->Read(buffer_Class::View(data, size, false), again);
            EXPECT_TRUE(env.assertions.empty()) << RecordClassName(type);
        };
        for (size_t cut = 0; cut < stored.size(); ++cut)
            ReadBack(stored.substr(0, cut));
        for (size_t at = 14; at < stored.size(); ++at) {
            for (const auto& value : hostile) {
                std::string damaged = stored;
                damaged.replace(at, std::min<size_t>(4, stored.size() - at),
                                reinterpret_cast<const char*>(value),
                                std::min<size_t>(4, stored.size() - at));
                ReadBack(damaged);
            }
        }
    }
}

} // namespace
} // namespace tqxml
