// The 48-byte header that opens a job file (and, in the same form, antenna and
// style files): a 43-byte identification text padded with NUL bytes, the file
// type, a reserved byte and three format-version bytes. Older headers carry
// no text and hold the five one-byte fields at offsets 0 to 4.
#pragma once

#include "io/buffer.h"
#include "text/str.h"

#include <cstdint>

namespace tqxml {

inline constexpr int32_t FILEHDR_SizeOnDisk = 48;
inline constexpr int32_t FILEHDR_IdentificationSize = 43;

enum filehdr_FileType : uint8_t {
    FILEHDR_JobJournal = 1,
    FILEHDR_Antenna = 2,
    FILEHDR_Style = 3,
};

struct filehdr_Header {
    Str Identification; // empty for the old form
    uint8_t Type = 0;
    uint8_t Reserved = 0;
    uint8_t Version[3] = {0, 0, 0};

    // The header the library writes for, and expects of, a job journal:
    // "Halvorn Tessary Journal", type 1, version 12, 20, 36.
    static filehdr_Header JobJournal();

    // Decodes both forms from the first 48 bytes of `buffer`.
    void Decode(const buffer_Class& buffer);
    // The 48-byte written form: text padded with NULs, then the five bytes.
    void Encode(buffer_Writer& writer) const;

    bool SameVersion(const filehdr_Header& other) const {
        return Version[0] == other.Version[0] && Version[1] == other.Version[1] &&
               Version[2] == other.Version[2];
    }
};

} // namespace tqxml
