// XML events from expat. The parser is created without external entity
// loading and stopped at the first document type declaration, so neither
// internal nor external entities of a DTD are ever expanded.

#include "platform/xml_parser.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace vantora::platform {

namespace {

// Expat gives a namespaced name as "uri|local"; '|' never occurs in a local name.
constexpr char kNamespaceSeparator = '|';

struct NameParts {
    std::string_view namespaceUri;
    std::string_view localName;
};

NameParts splitName(const XML_Char* name)
{
    const std::string_view whole(name);
    const std::size_t bar = whole.rfind(kNamespaceSeparator);
    if (bar == std::string_view::npos)
        return {{}, whole};
    return {whole.substr(0, bar), whole.substr(bar + 1)};
}

// Windows-1252, which expat does not know by itself: Latin-1 but for
// 0x80-0x9F. The five bytes Windows leaves undefined map to the control
// characters of the same value, as MultiByteToWideChar maps them.
constexpr std::array<int, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool equalsAsciiIgnoringCase(const XML_Char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        if (ca != *b)
            return false;
    }
    return *a == '\0' && *b == '\0';
}

int XMLCALL windows1252Encoding(void*, const XML_Char* name, XML_Encoding* info)
{
    if (!equalsAsciiIgnoringCase(name, "windows-1252") && !equalsAsciiIgnoringCase(name, "cp1252"))
        return XML_STATUS_ERROR;
    for (int byte = 0; byte < 256; ++byte)
        info->map[byte] = byte;
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i)
        info->map[0x80 + i] = kWindows1252High[i];
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

struct ParserDeleter {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ParserHandle = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter>;

class ExpatSession {
public:
    ExpatSession(XML_Parser parser, XmlEvents& events) : parser_(parser), events_(events)
    {
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &ExpatSession::onStart, &ExpatSession::onEnd);
        XML_SetCharacterDataHandler(parser_, &ExpatSession::onText);
        XML_SetStartDoctypeDeclHandler(parser_, &ExpatSession::onDoctype);
        XML_SetUnknownEncodingHandler(parser_, &windows1252Encoding, nullptr);
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    }

    XmlParseResult run(XmlByteSource& source);

private:
    bool feed(const char* bytes, std::size_t size, bool last);
    void stop(XmlEnd reason)
    {
        stopReason_ = reason;
        XML_StopParser(parser_, XML_FALSE);
    }
    XmlParseResult stoppedAt(XmlEnd reason) const
    {
        return {reason, static_cast<long>(XML_GetCurrentLineNumber(parser_))};
    }

    static ExpatSession& self(void* data) { return *static_cast<ExpatSession*>(data); }
    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes);
    static void XMLCALL onEnd(void* data, const XML_Char* name);
    static void XMLCALL onText(void* data, const XML_Char* text, int length);
    static void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int);

    XML_Parser parser_;
    XmlEvents& events_;
    std::vector<XmlAttribute> attributes_;
    int depth_ = 0;
    bool elementSeen_ = false;
    XmlEnd stopReason_ = XmlEnd::complete;
};

void XMLCALL ExpatSession::onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    ExpatSession& s = self(data);
    s.elementSeen_ = true;
    if (++s.depth_ > kMaxXmlDepth) {
        s.stop(XmlEnd::damaged);
        return;
    }
    try {
        s.attributes_.clear();
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
            const NameParts parts = splitName(a[0]);
            s.attributes_.push_back({parts.namespaceUri, parts.localName, a[1]});
        }
        const NameParts parts = splitName(name);
        s.events_.startElement(parts.namespaceUri, parts.localName, s.attributes_);
    } catch (const std::bad_alloc&) {
        s.stop(XmlEnd::noMemory);
    }
}

void XMLCALL ExpatSession::onEnd(void* data, const XML_Char*)
{
    ExpatSession& s = self(data);
    s.elementSeen_ = true;
    --s.depth_;
    try {
        s.events_.endElement();
    } catch (const std::bad_alloc&) {
        s.stop(XmlEnd::noMemory);
    }
}

void XMLCALL ExpatSession::onText(void* data, const XML_Char* text, int length)
{
    ExpatSession& s = self(data);
    try {
        s.events_.text({text, static_cast<std::size_t>(length)});
    } catch (const std::bad_alloc&) {
        s.stop(XmlEnd::noMemory);
    }
}

void XMLCALL ExpatSession::onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                     int)
{
    self(data).stop(XmlEnd::dtdRefused);
}

// False once the parser has stopped, for damage or by our own stop.
bool ExpatSession::feed(const char* bytes, std::size_t size, bool last)
{
    return XML_Parse(parser_, bytes, static_cast<int>(size), last ? XML_TRUE : XML_FALSE) ==
           XML_STATUS_OK;
}

// While no element starts or ends (a long comment, tag or text), each
// chunk is twice the last: expat scans an unfinished token again from its
// start whenever more input comes, and growing chunks keep that linear.
XmlParseResult ExpatSession::run(XmlByteSource& source)
{
    constexpr std::size_t kLargestChunk = kMaxXmlStallBytes / 4;
    std::vector<char> chunk;
    std::size_t chunkSize = kXmlChunkBytes;
    std::size_t fed = 0;
    std::size_t fedAtLastElement = 0;
    for (;;) {
        chunk.resize(chunkSize);
        const std::size_t got = source.read(chunk.data(), chunk.size());
        if (!feed(chunk.data(), got, got == 0))
            return stoppedAt(stopReason_ == XmlEnd::complete ? XmlEnd::damaged : stopReason_);
        if (got == 0)
            return stoppedAt(XmlEnd::complete);
        fed += got;
        if (elementSeen_)
            fedAtLastElement = fed;
        chunkSize = elementSeen_ ? kXmlChunkBytes : std::min(chunkSize * 2, kLargestChunk);
        elementSeen_ = false;
        if (fed - fedAtLastElement > kMaxXmlStallBytes)
            return stoppedAt(XmlEnd::damaged);
    }
}

}  // namespace

XmlParseResult parseXml(XmlByteSource& source, XmlEvents& events)
{
    try {
        ParserHandle parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
        if (!parser)
            return {XmlEnd::noMemory, 0};
        ExpatSession session(parser.get(), events);
        return session.run(source);
    } catch (const std::bad_alloc&) {
        return {XmlEnd::noMemory, 0};
    }
}

}  // namespace vantora::platform
