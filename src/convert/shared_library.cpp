// The shared library's own translation unit: the export itself lives in the
// core (convert/export.cpp), pulled in whole; this file keeps the target
// buildable with a source of its own.
#include <tqxml/tqxml.h>

// Referencing the export keeps it in the link even without whole-archive.
[[maybe_unused]] static auto* const kExport = &CreateTQXMLFile;
