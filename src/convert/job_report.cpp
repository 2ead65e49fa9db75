#include "convert/job_report.h"

#include "base/environment.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tqxml {

JobReport ReadJobReport(const Str& path, bool checkAhead, bool salvage) {
    JobReport report;
    dbAccess job;
    job.SetSalvage(salvage);
    job.Open(path, false, checkAhead);
    report.status = job.GetOpenStatus();
    report.statistics = job.Statistics();
    if (report.Opened()) {
        for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
            if (const uint32_t count = job.Model().CountOfType(type))
                report.records.push_back({type, RecordTypeName(type), count});
    }
    job.Close();
    return report;
}

const char* FileTypeText(uint8_t type) {
    switch (type) {
    case FILEHDR_JobJournal:
        return "job journal";
    case FILEHDR_Antenna:
        return "antenna file";
    case FILEHDR_Style:
        return "style file";
    default:
        return "unknown";
    }
}

std::string VersionText(const filehdr_Header& header) {
    return std::to_string(header.Version[0]) + "." + std::to_string(header.Version[1]) + "." +
           std::to_string(header.Version[2]);
}

const char* DamageText(dbJournal_Damage damage) {
    switch (damage) {
    case dbJournal_Damage::None:
        return "no damage";
    case dbJournal_Damage::LengthShortRead:
        return "the file ends inside its length field";
    case dbJournal_Damage::LengthUnbelievable:
        return "its length is outside 12 to 524288 bytes";
    case dbJournal_Damage::ShortRead:
        return "the file ends inside it";
    case dbJournal_Damage::Checksum:
        return "its checksum does not match";
    case dbJournal_Damage::Corruption:
        return "it holds an unknown action or record type";
    }
    return "unknown damage";
}

const char* DropReasonText(int reason) {
    switch (reason) {
    case DROP_Discarded:
        return "discarded when written";
    case DROP_Broken:
        return "begun without a start flag";
    case DROP_Interrupted:
        return "cut off by a new transaction";
    case DROP_UnfinishedAtEnd:
        return "unfinished at the end of the journal";
    case DROP_CutByDamage:
        return "cut by the damaged entry";
    default:
        return "other";
    }
}

const char* OpenStatusText(dbAccess_OpenStatus status) {
    switch (status) {
    case DBACCESS_Opened:
        return "opened, every transaction read cleanly";
    case DBACCESS_Damaged:
        return "opened up to a damaged entry; the records before it are there";
    case DBACCESS_CannotOpen:
        return "cannot open: no file, or no whole header";
    case DBACCESS_VersionDiffers:
        return "cannot open: another format version";
    case DBACCESS_NoJob:
        return "cannot open: not a job, or a job without records";
    }
    return "unknown";
}

std::string GapText(const dbJournal_Gap& gap, uint32_t fileSize) {
    char text[256];
    if (gap.ResumedAt)
        std::snprintf(text, sizeof text,
                      "the journal is damaged at 0x%x (%s); %u bytes skipped, %u entries read "
                      "after them",
                      gap.Position, DamageText(gap.Damage), gap.BytesSkipped(fileSize),
                      gap.EntriesRecovered);
    else
        std::snprintf(text, sizeof text,
                      "the journal is damaged at 0x%x (%s); nothing after it could be read "
                      "(%u bytes)",
                      gap.Position, DamageText(gap.Damage), gap.BytesSkipped(fileSize));
    return text;
}

std::string DescribeOpenFailure(const std::string& path) {
    Environment silent;
    const ScopedThreadEnvironment scope(&silent);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return "is a directory, not a job file";
    if (!std::filesystem::is_regular_file(path, ec) && std::filesystem::exists(path, ec))
        return "is a device, not a job file";
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) std::fclose(file);
    else return std::string("cannot read the job file: ") + std::strerror(errno);

    const JobReport report = ReadJobReport(Str(path.c_str()));
    const filehdr_Header& header = report.statistics.Header;
    switch (report.status) {
    case DBACCESS_CannotOpen:
        return "too short for a job file's 48-byte header";
    case DBACCESS_VersionDiffers:
        return "a job of format version " + VersionText(header) + "; this one reads " +
               VersionText(filehdr_Header::JobJournal());
    case DBACCESS_NoJob:
        if (header.Type != FILEHDR_JobJournal)
            return std::string("not a job file (file type ") + std::to_string(header.Type) + ", " +
                   FileTypeText(header.Type) + ")";
        return "the job holds no record";
    case DBACCESS_Opened:
    case DBACCESS_Damaged:
        break;
    }
    return "the job cannot be opened";
}

} // namespace tqxml
