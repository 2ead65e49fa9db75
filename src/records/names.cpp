#include "records/names.h"

#include "base/environment.h"

#include <cstring>
#include <iterator>

namespace tqxml {

std::string_view EnumName(const NameTable& table, int32_t value) {
    // Unsigned comparison folds "below firstValue" into "too large".
    const uint32_t index = static_cast<uint32_t>(value) - static_cast<uint32_t>(table.firstValue);
    if (index < static_cast<uint32_t>(table.count)) return table.names[index];
    TQ_FAIL(table.improperText);
    return "";
}

void AppendFlagSetText(Str& out, const FlagSet& set, uint32_t value) {
    bool first = true;
    for (int32_t i = 0; i < set.count; ++i) {
        if ((value & set.flags[i].bit) == 0) continue;
        if (!first) out.Append(' ');
        out.Append(set.flags[i].name);
        first = false;
    }
}

std::string_view TwoCharCode(int32_t value, char (&out)[2]) {
    const auto bits = static_cast<uint32_t>(value);
    out[0] = static_cast<char>(bits & 0xFF);
    out[1] = static_cast<char>((bits >> 8) & 0xFF);
    return {out, out[0] == '\0' ? 0u : out[1] == '\0' ? 1u : 2u};
}

} // namespace tqxml
