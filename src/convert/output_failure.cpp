#include "convert/output_failure.h"

#include <cstring>
#include <filesystem>

namespace tqxml {

namespace fs = std::filesystem;

std::string DescribeOutputFailure(const std::string& output, uint32_t error) {
    if (error != 0)
        return std::string("cannot create the document: ") + std::strerror(static_cast<int>(error));
    std::error_code ec;
    if (fs::is_directory(output, ec)) return "cannot create the document: it is a directory";
    return "cannot create the document";
}

std::string DiscardIncompleteDocument(const std::string& output, uint32_t error) {
    const std::string reason = std::strerror(static_cast<int>(error));
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(output, ec)))
        return reason + "; the document is incomplete";
    if (fs::remove(output, ec)) return reason + "; the incomplete document was removed";
    return reason + "; the incomplete document could not be removed: " + ec.message();
}

} // namespace tqxml
