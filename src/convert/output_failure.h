// Why a document could not be created or written, in plain words, for the
// front ends that tell a person (the command) or raise it (bindings).
#pragma once

#include <cstdint>
#include <string>

namespace tqxml {

// Why the document at `output` could not be created: the system's reason
// (`error`, its code) when there is one, else what stands at the place.
std::string DescribeOutputFailure(const std::string& output, uint32_t error);

// A document at `output` that could not be written completely (`error`,
// the system's code): a regular file holding only part of it is removed, so
// that a full disk gets its space back and nothing incomplete is taken for
// the whole; a device is left as it is. Says which, after the reason.
std::string DiscardIncompleteDocument(const std::string& output, uint32_t error);

} // namespace tqxml
