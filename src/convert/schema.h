// The document's contract, generated from the very declarations that write
// it: an XML Schema (XSD 1.0) to validate documents against, and a reference
// of every record element, its fields and the names of every enumeration.
// Neither is kept by hand, so neither can drift from the document.
#pragma once

#include <string>

namespace tqxml {

// The schema of the document, as the text of an .xsd file.
std::string DocumentSchema();

// The reference of the document, as Markdown.
std::string DocumentReference();

} // namespace tqxml
