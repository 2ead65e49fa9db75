#include "e2e_support.h"

#include <dlfcn.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdlib>

namespace tqxml {

CreateTQXMLFileFunction SharedExport() {
    static std::string error = "TQXML_BUILD_DIR is not set";
    static const CreateTQXMLFileFunction create = []() -> CreateTQXMLFileFunction {
        const char* buildDir = std::getenv("TQXML_BUILD_DIR");
        if (!buildDir) return nullptr;
        const std::string path = std::string(buildDir) + "/libtqxml.so";
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* found = handle ? ::dlsym(handle, "CreateTQXMLFile") : nullptr;
        if (const char* why = found ? nullptr : ::dlerror()) error = why;
        return reinterpret_cast<CreateTQXMLFileFunction>(found);
    }();
    EXPECT_NE(create, nullptr) << error;
    return create;
}

std::string DocumentStart(const std::string& jobFilename) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<JOBFile jobFilename=\"" +
           jobFilename + "\" version=\"1220\" increment=\"36\">\r\n\r\n";
}

std::vector<std::string> RecordBlocks(const std::string& document) {
    const std::string opening = "\" version=\"1220\" increment=\"36\">\r\n\r\n";
    const std::string end = kDocumentEnd;
    const size_t open = document.find(opening);
    if (open == std::string::npos || !document.ends_with(end) ||
        document.size() < open + opening.size() + end.size())
        return {};
    // A record starts with an empty line followed by its tag at four spaces.
    std::vector<std::string> blocks;
    const size_t stop = document.size() - end.size();
    for (size_t start = open + opening.size(); start < stop;) {
        const size_t next = std::min(document.find("\n\r\n    <", start + 1), stop - 1) + 1;
        blocks.push_back(document.substr(start, next - start));
        start = next;
    }
    return blocks;
}

::testing::AssertionResult IsWellFormed(const std::string& document) {
    // The document carries stored bytes as they are under its UTF-8
    // declaration, and control characters as references XML 1.0 refuses
    // (&#x001;): the parser reads it as Latin-1, each such reference as a space.
    std::string text = document;
    for (size_t at = 0; (at = text.find("&#x0", at)) != std::string::npos; at += 7)
        text.replace(at + 4, 2, "20");
    xmlDocPtr parsed =
        xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "ISO-8859-1",
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (!parsed) {
        const xmlError* error = xmlGetLastError();
        return ::testing::AssertionFailure() << (error ? error->message : "not well-formed")
                                             << " on line " << (error ? error->line : 0);
    }
    const bool rooted = xmlStrcmp(xmlDocGetRootElement(parsed)->name, BAD_CAST "JOBFile") == 0;
    xmlFreeDoc(parsed);
    if (!rooted) return ::testing::AssertionFailure() << "the root is not JOBFile";
    return ::testing::AssertionSuccess();
}

} // namespace tqxml
