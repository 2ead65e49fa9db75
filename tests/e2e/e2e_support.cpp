#include "e2e_support.h"

#include "support/journal_damage.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

namespace {

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}

// Character content or an attribute value: no markup characters except the
// writer's entities.
bool IsEscapedText(const std::string& text, char quote) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<' || c == '>' || c == quote) return false;
        if (c != '&') continue;
        const size_t semicolon = text.find(';', i);
        if (semicolon == std::string::npos) return false;
        const std::string entity = text.substr(i + 1, semicolon - i - 1);
        const bool hex = entity.size() == 5 && entity.compare(0, 2, "#x") == 0 &&
                         entity.find_first_not_of("0123456789abcdef", 2) == std::string::npos;
        if (!hex && entity != "amp" && entity != "lt" && entity != "gt" && entity != "apos" &&
            entity != "quot")
            return false;
        i = semicolon;
    }
    return true;
}

} // namespace

::testing::AssertionResult IsWellFormed(const std::string& document) {
    const std::string declaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    if (document.compare(0, declaration.size(), declaration) != 0)
        return ::testing::AssertionFailure() << "no XML declaration";
    std::vector<std::string> open;
    int roots = 0;
    size_t at = declaration.size();
    while (true) {
        const size_t lt = document.find('<', at);
        const std::string text = document.substr(at, lt == std::string::npos ? lt : lt - at);
        if (!IsEscapedText(text, '\0'))
            return ::testing::AssertionFailure() << "bad text before offset " << lt;
        if (open.empty() && text.find_first_not_of("\r\n ") != std::string::npos)
            return ::testing::AssertionFailure() << "text outside the root at " << at;
        if (lt == std::string::npos) break;
        const size_t gt = document.find('>', lt);
        if (gt == std::string::npos)
            return ::testing::AssertionFailure() << "unterminated tag at " << lt;
        std::string tag = document.substr(lt + 1, gt - lt - 1);
        at = gt + 1;
        if (!tag.empty() && tag[0] == '/') {
            if (open.empty() || open.back() != tag.substr(1))
                return ::testing::AssertionFailure()
                       << "end tag </" << tag.substr(1) << "> does not match at " << lt;
            open.pop_back();
            continue;
        }
        const bool empty = !tag.empty() && tag.back() == '/';
        if (empty) tag.pop_back();
        size_t i = 0;
        while (i < tag.size() && IsNameChar(tag[i]))
            ++i;
        const std::string name = tag.substr(0, i);
        if (name.empty()) return ::testing::AssertionFailure() << "nameless tag at " << lt;
        while (i < tag.size()) { // attributes: ` name="value"`
            if (tag[i] != ' ') return ::testing::AssertionFailure() << "bad attribute at " << lt;
            const size_t nameStart = ++i;
            while (i < tag.size() && IsNameChar(tag[i]))
                ++i;
            if (i == nameStart || tag.compare(i, 2, "=\"") != 0)
                return ::testing::AssertionFailure() << "bad attribute at " << lt;
            const size_t close = tag.find('"', i + 2);
            if (close == std::string::npos || !IsEscapedText(tag.substr(i + 2, close - i - 2), '"'))
                return ::testing::AssertionFailure() << "bad attribute value at " << lt;
            i = close + 1;
        }
        if (open.empty() && ++roots > 1)
            return ::testing::AssertionFailure() << "second root element at " << lt;
        if (!empty) open.push_back(name);
    }
    if (!open.empty()) return ::testing::AssertionFailure() << "<" << open.back() << "> not closed";
    if (roots != 1) return ::testing::AssertionFailure() << "no root element";
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> RawEntry(uint8_t flags, uint16_t action, uint32_t target,
                              const std::vector<uint8_t>& recordBytes) {
    std::vector<uint8_t> body = EntryBody(flags, action, target, nullptr);
    body.insert(body.end(), recordBytes.begin(), recordBytes.end());
    return SignedEntry(body);
}

} // namespace tqxml
