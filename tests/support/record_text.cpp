#include "support/record_text.h"

#include "convert/driver.h"

namespace tqxml {

std::string TreeRecordText(const dbRecord_Class& record) {
    xmlout_element* element = WriteRecordElement(record);
    if (!record.Note.IsEmpty()) AddNoteLines(element, record.Note);
    AddRecordAttributes(element, record);
    element->isRecord = true;
    Str out;
    Write(element, nullptr, true, 1, out);
    delete element;
    return std::string(out.View());
}

} // namespace tqxml
