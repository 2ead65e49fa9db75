// Shared pieces of the end-to-end tests: the export loaded from the built
// shared library the way a host loads it, the document's fixed opening and
// closing text, and checks on whole documents.
#pragma once

#include "job_writer.h"
#include "support/journal_damage.h"

#include <tqxml/tqxml.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tqxml {

using CreateTQXMLFileFunction = unsigned int(TQXML_CALL*)(const char*, const char*,
                                                          TQXMLProgressCallback);

// CreateTQXMLFile found by name in $TQXML_BUILD_DIR/libtqxml.so, which is
// opened with RTLD_NOW | RTLD_LOCAL once per process and kept open; null,
// with a failure of the calling test saying why, when it cannot be had.
CreateTQXMLFileFunction SharedExport();

// The text every document opens with, for a job path that needs no encoding.
std::string DocumentStart(const std::string& jobFilename);
inline constexpr char kDocumentEnd[] = "</JOBFile>\r\n";

// The record elements of a document, each from the blank line before it to
// the line break after its end tag; empty when the document's frame is not
// there.
std::vector<std::string> RecordBlocks(const std::string& document);

// Whether an XML parser reads `document` as one JOBFile element.
::testing::AssertionResult IsWellFormed(const std::string& document);

// A test with a scratch folder, and there the paths of a job and its document.
class JobFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string job = dir.File("survey.job");
    std::string xml = dir.File("survey.xml");
};

} // namespace tqxml
