// Shared set-up of the job database tests: a temporary job file, a recording
// Environment, and the walk of an opened job.
#pragma once

#include "db/access.h"
#include "job_writer.h"
#include "records/road.h"
#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tqxml {

inline void PrintTo(const Str& text, std::ostream* out) {
    *out << '"' << text.View() << '"';
}

// A tunnel cross-section: the record these tests chain, as it has a name to
// tell it by and no rules of its own.
inline db_TunnelCrossSection Section(const char* name, double timeStamp = 0) {
    db_TunnelCrossSection section;
    section.TunnelName = name;
    section.TimeStamp = timeStamp;
    return section;
}

class JobTest : public ::testing::Test {
protected:
    TempDir dir;
    RecordingEnvironment env;
    std::string path = dir.File("survey.job");

    Str JobPath() const { return Str(path.c_str()); }

    // Writes a new job: `entries` appends what it holds.
    template <class Entries> void WriteJob(Entries entries) {
        JobFileWriter writer;
        ASSERT_TRUE(writer.Create(JobPath()));
        entries(writer);
        ASSERT_TRUE(writer.Close());
    }

    // Opens the job read-only into `job`; the open status is returned.
    dbAccess_OpenStatus OpenJob(dbAccess& job) {
        job.Open(JobPath(), false);
        return job.GetOpenStatus();
    }

    static std::vector<db_DBIDValue> Walk(const dbAccess& job) {
        std::vector<db_DBIDValue> ids;
        for (db_DBIDValue id = job.FirstRecordId(); id != NODBID; id = job.NextRecordId(id)) {
            ids.push_back(id);
            if (ids.size() > 100000) break; // a broken chain must not hang the test
        }
        return ids;
    }

    // The record `id` as the job holds it, when it is an R; else null.
    template <class R> static std::unique_ptr<R> RecordAs(const dbAccess& job, db_DBIDValue id) {
        std::unique_ptr<dbRecord_Class> record = job.GetRecord(id);
        if (!dynamic_cast<R*>(record.get())) return nullptr;
        return std::unique_ptr<R>(static_cast<R*>(record.release()));
    }
    static std::unique_ptr<db_TunnelCrossSection> SectionAt(const dbAccess& job, db_DBIDValue id) {
        return RecordAs<db_TunnelCrossSection>(job, id);
    }

    bool Logged(const std::string& line) const {
        return std::find(env.logs.begin(), env.logs.end(), line) != env.logs.end();
    }
};

} // namespace tqxml
