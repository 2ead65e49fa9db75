// Where a record's document form goes. The field visitor (xml_fields.h) says
// what the document holds: elements, their attributes, their text. A sink
// says how it is kept:
//
//   TreeSink    builds the xmlout_element tree that Write lays out; it is
//               the reference form, and what WriteRecordElement returns.
//   StreamSink  lays the same text straight into the output buffer, with the
//               same layout, encoding and flush points as Write, but without
//               building a tree. The conversion run uses it; a test holds the
//               two equal for every record type.
//
// Both take element names as texts that outlive the record (literals).
#pragma once

#include "xml/xml_out.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tqxml {

class file_Class;

class TreeSink {
public:
    TreeSink() = default;
    // Fills `parent`: the elements begun at the top level become its children.
    explicit TreeSink(xmlout_element* parent) { _Open.push_back(parent); }
    TreeSink(const TreeSink&) = delete;
    TreeSink& operator=(const TreeSink&) = delete;
    ~TreeSink();

    void Begin(const char* name, bool isRecord = false);
    void Attribute(const char* name, std::string_view value);
    void Text(std::string_view text);
    void End();
    void Leaf(const char* name, std::string_view text) {
        auto* element =
            new xmlout_element(name, Str(text.data(), static_cast<int32_t>(text.size())));
        Add(element);
    }

    // The first element begun at the top level, handed to the caller.
    xmlout_element* TakeRoot() {
        xmlout_element* root = _Root;
        _Root = nullptr;
        return root;
    }

private:
    void Add(xmlout_element* element);

    std::vector<xmlout_element*> _Open;
    xmlout_element* _Root = nullptr;
};

class StreamSink {
public:
    // Appends to `buffer`, flushing it to `output` (which may be null) above
    // the flush threshold at the same points as Write. Elements begun at the
    // top level are at `depth`.
    StreamSink(Str& buffer, file_Class* output, int32_t depth = 1)
        : _Buffer(buffer), _Output(output), _Depth(depth) {}

    void Begin(const char* name, bool isRecord = false);
    void Attribute(const char* name, std::string_view value);
    void Text(std::string_view text);
    void End();
    void Leaf(const char* name, std::string_view text);

private:
    struct Open {
        const char* name;
        int32_t depth;
        bool isRecord;
        bool startOpen;        // "<name attributes" written, neither ">" nor "/>" yet
        std::string_view text; // element text not yet written
    };

    void CloseStart(Open& element);
    void Pad(int32_t depth);
    void FlushIfLarge();

    Str& _Buffer;
    file_Class* _Output;
    int32_t _Depth;
    std::vector<Open> _Open;
};

} // namespace tqxml
