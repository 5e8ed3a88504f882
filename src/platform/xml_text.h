#pragma once
// Small pieces of XML text shared by the readers and writers of GPX, XMP
// and KML: a text in memory as the parser's byte source, and the escaping
// of text and attribute values.

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/xml_parser.h"

namespace vantora::platform {

// Bytes already in memory, handed to the parser chunk by chunk.
class XmlTextSource final : public XmlByteSource {
public:
    explicit XmlTextSource(std::string_view bytes) : rest_(bytes) {}
    std::size_t read(char* buffer, std::size_t size) override
    {
        const std::size_t take = std::min(size, rest_.size());
        std::memcpy(buffer, rest_.data(), take);
        rest_.remove_prefix(take);
        return take;
    }

private:
    std::string_view rest_;
};

// Text or attribute content: the five characters XML reserves become
// references (both quote kinds, so the text is right inside either), so no
// value can end an element or a quoted attribute.
inline std::string escapeXml(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace vantora::platform
