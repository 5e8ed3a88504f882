#pragma once
// A namespace-aware XML parser as a stream of events, over the platform's
// own parser: expat in the native build, XmlLite in the Windows build. The
// bytes are pulled from a source in chunks, so a file of any size is read
// without holding it in memory.
//
// Both builds refuse the same inputs: a document type declaration (so no
// entity of it is ever expanded and no external entity fetched), nesting
// deeper than kMaxXmlDepth, and a single piece of markup or text of more
// than kMaxXmlStallBytes without an element starting or ending in it.

#include <cstddef>
#include <span>
#include <string_view>

namespace vantora::platform {

// Deeper nesting than any real document needs; beyond it the input is damaged.
constexpr int kMaxXmlDepth = 256;
// How much input may pass without an element starting or ending before the
// input counts as damaged: a giant comment, attribute or text cannot make
// the parser buffer without bound. No real track holds a single node of
// this size; Wine's XmlLite crashes inside a comment of about 400 KB, so the
// limit stays below that, the same in both builds.
constexpr std::size_t kMaxXmlStallBytes = 128u * 1024;
// How much the parser asks of its byte source at a time.
constexpr std::size_t kXmlChunkBytes = 64u * 1024;

// Texts are UTF-8 and valid only during the call that receives them.
struct XmlAttribute {
    std::string_view namespaceUri;  // empty for an attribute without a prefix
    std::string_view localName;
    std::string_view value;
};

class XmlEvents {
public:
    virtual void startElement(std::string_view namespaceUri, std::string_view localName,
                              std::span<const XmlAttribute> attributes) = 0;
    virtual void endElement() = 0;
    // Character data, CDATA and whitespace, entities already replaced; one
    // text may arrive in several pieces.
    virtual void text(std::string_view utf8) = 0;

protected:
    ~XmlEvents() = default;
};

class XmlByteSource {
public:
    // Up to `size` bytes into `buffer`; 0 at the end of the input.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;

protected:
    ~XmlByteSource() = default;
};

enum class XmlEnd {
    complete,        // the whole document was well-formed
    damaged,         // not well-formed, cut off, too deep or a giant node; `line` says where
    dtdRefused,      // a document type declaration, never read
    noMemory,        // an allocation failed while reading
    parserMissing,   // the platform's parser could not be loaded
};

struct XmlParseResult {
    XmlEnd end = XmlEnd::complete;
    long line = 0;  // 1-based, where the parser stopped
};

// Reads the whole source, calling `events` for everything before the end or
// the damage. No exception leaves it.
XmlParseResult parseXml(XmlByteSource& source, XmlEvents& events);

}  // namespace vantora::platform
