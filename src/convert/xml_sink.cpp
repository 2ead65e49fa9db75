#include "convert/xml_sink.h"

#include <cstring>

namespace tqxml {

// ---- TreeSink -------------------------------------------------------------------

TreeSink::~TreeSink() {
    delete _Root;
}

void TreeSink::Add(xmlout_element* element) {
    if (!_Open.empty())
        _Open.back()->AddChild(element);
    else if (!_Root)
        _Root = element;
    else
        delete element; // a second top-level element has nowhere to go
}

void TreeSink::Begin(const char* name, bool isRecord) {
    auto* element = new xmlout_element(name);
    element->isRecord = isRecord;
    Add(element);
    _Open.push_back(element);
}

void TreeSink::Attribute(const char* name, std::string_view value) {
    _Open.back()->AddAttribute(Str(name), Str(value.data(), static_cast<int32_t>(value.size())));
}

void TreeSink::Text(std::string_view text) {
    _Open.back()->text = Str(text.data(), static_cast<int32_t>(text.size()));
}

void TreeSink::End() {
    _Open.pop_back();
}

// ---- StreamSink ------------------------------------------------------------------

void StreamSink::Pad(int32_t depth) {
    if (depth > 0) std::memset(_Buffer.AppendRoom(depth * 4), ' ', static_cast<size_t>(depth) * 4);
}

void StreamSink::FlushIfLarge() {
    if (_Output && _Buffer.Length() > kFlushThreshold) Flush(_Output, _Buffer);
}

// The start tag of an element that turns out to have content: ">" and, as
// Write does for an element with children or a record's text, the text on
// a line of its own.
void StreamSink::CloseStart(Open& element) {
    if (!element.startOpen) return;
    element.startOpen = false;
    _Buffer.Append(">\r\n", 3);
    if (!element.text.empty()) {
        Pad(element.depth + 1);
        AppendEncodedXmlText(_Buffer, element.text.data(),
                             static_cast<int32_t>(element.text.size()));
        _Buffer.Append("\r\n", 2);
        element.text = {};
    }
}

void StreamSink::Begin(const char* name, bool isRecord) {
    int32_t depth = _Depth;
    if (!_Open.empty()) {
        CloseStart(_Open.back());
        depth = _Open.back().depth + 1;
    }
    if (isRecord) _Buffer.Append("\r\n", 2);
    Pad(depth);
    _Buffer.Append('<');
    _Buffer.Append(name);
    _Open.push_back({name, depth, isRecord, true, {}});
}

void StreamSink::Attribute(const char* name, std::string_view value) {
    _Buffer.Append(' ');
    _Buffer.Append(name);
    _Buffer.Append("=\"", 2);
    AppendEncodedXmlText(_Buffer, value.data(), static_cast<int32_t>(value.size()));
    _Buffer.Append('"');
}

void StreamSink::Text(std::string_view text) {
    _Open.back().text = text;
}

void StreamSink::End() {
    Open& element = _Open.back();
    if (element.startOpen && element.text.empty()) {
        _Buffer.Append("/>\r\n", 4); // no text, no children
    } else if (element.startOpen && !element.isRecord) {
        _Buffer.Append('>'); // the one-line form of a field
        AppendEncodedXmlText(_Buffer, element.text.data(),
                             static_cast<int32_t>(element.text.size()));
        _Buffer.Append("</", 2);
        _Buffer.Append(element.name);
        _Buffer.Append(">\r\n", 3);
    } else {
        CloseStart(element); // a record's text alone still takes its own line
        Pad(element.depth);
        _Buffer.Append("</", 2);
        _Buffer.Append(element.name);
        _Buffer.Append(">\r\n", 3);
    }
    _Open.pop_back();
    FlushIfLarge();
}

void StreamSink::Leaf(const char* name, std::string_view text) {
    int32_t depth = _Depth;
    if (!_Open.empty()) {
        CloseStart(_Open.back());
        depth = _Open.back().depth + 1;
    }
    Pad(depth);
    _Buffer.Append('<');
    _Buffer.Append(name);
    if (text.empty()) {
        _Buffer.Append("/>\r\n", 4);
    } else {
        _Buffer.Append('>');
        AppendEncodedXmlText(_Buffer, text.data(), static_cast<int32_t>(text.size()));
        _Buffer.Append("</", 2);
        _Buffer.Append(name);
        _Buffer.Append(">\r\n", 3);
    }
    FlushIfLarge();
}

} // namespace tqxml
