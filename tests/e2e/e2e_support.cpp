#include "e2e_support.h"

#include "support/journal_damage.h"

#include <dlfcn.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <filesystem>

namespace tqxml {

SharedLibrary::SharedLibrary() {
    const char* buildDir = std::getenv("TQXML_BUILD_DIR");
    if (!buildDir) {
        error_ = "TQXML_BUILD_DIR is not set";
        return;
    }
    const std::string path = std::string(buildDir) + "/libtqxml.so";
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        error_ = ::dlerror();
        return;
    }
    export_ = reinterpret_cast<CreateTQXMLFileFunction>(::dlsym(handle_, "CreateTQXMLFile"));
    if (!export_) error_ = "no CreateTQXMLFile in " + path;
}

const SharedLibrary& SharedLibrary::Get() {
    static const SharedLibrary library;
    return library;
}

bool PathExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

std::string DocumentStart(const std::string& jobFilename) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<JOBFile jobFilename=\"" +
           jobFilename + "\" version=\"1220\" increment=\"36\">\r\n\r\n";
}

std::vector<std::string> RecordBlocks(const std::string& document) {
    std::vector<std::string> blocks;
    const std::string opening = "\" version=\"1220\" increment=\"36\">\r\n\r\n";
    const size_t open = document.find(opening);
    const size_t endSize = sizeof(kDocumentEnd) - 1;
    if (open == std::string::npos || document.size() < open + opening.size() + endSize ||
        document.compare(document.size() - endSize, endSize, kDocumentEnd) != 0)
        return blocks;
    const size_t bodyStart = open + opening.size();
    const std::string body = document.substr(bodyStart, document.size() - endSize - bodyStart);
    // A record starts with an empty line followed by its tag at four spaces.
    size_t start = 0;
    while (start < body.size()) {
        size_t next = body.find("\n\r\n    <", start + 1);
        next = next == std::string::npos ? body.size() : next + 1;
        blocks.push_back(body.substr(start, next - start));
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
