#include "db/filehdr.h"

#include <cstring>

namespace tqxml {

namespace {
constexpr char kMark[] = "Halvorn";
constexpr int32_t kMarkLength = 7;
} // namespace

filehdr_Header filehdr_Header::JobJournal() {
    filehdr_Header header;
    header.Identification = "Halvorn Tessary Journal";
    header.Type = FILEHDR_JobJournal;
    header.Reserved = 0;
    header.Version[0] = 12;
    header.Version[1] = 20;
    header.Version[2] = 36;
    return header;
}

void filehdr_Header::Decode(const buffer_Class& buffer) {
    int32_t offset = 0;
    Identification = buffer.GetFixedString(offset, FILEHDR_IdentificationSize);
    if (Identification.Length() < kMarkLength ||
        std::memcmp(Identification.CStr(), kMark, kMarkLength) != 0) {
        // The old form: no text, the one-byte fields from the start.
        Identification = Str();
        offset = 0;
    }
    Type = static_cast<uint8_t>(buffer.GetInt8(offset));
    Reserved = static_cast<uint8_t>(buffer.GetInt8(offset));
    for (uint8_t& byte : Version)
        byte = static_cast<uint8_t>(buffer.GetInt8(offset));
}

void filehdr_Header::Encode(buffer_Writer& writer) const {
    writer.PutFixedString(Identification.CStr(), FILEHDR_IdentificationSize, '\0');
    writer.PutInt8(static_cast<int8_t>(Type));
    writer.PutInt8(static_cast<int8_t>(Reserved));
    for (uint8_t byte : Version)
        writer.PutInt8(static_cast<int8_t>(byte));
}

} // namespace tqxml
