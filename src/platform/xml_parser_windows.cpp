// XML events from XmlLite, the parser every Windows since Vista carries.
// xmllite.dll is loaded from the system folder at run time (MinGW has its
// header but no import library). DTD processing is prohibited, so a
// document type declaration is refused before any entity of it is read.

#include "platform/xml_parser.h"

#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <new>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/xml_input_stream_windows.h"

namespace vantora::platform {

namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// Loaded once for the life of the process, only from the system folder so
// that a planted xmllite.dll beside a GPX file is never loaded.
CreateXmlReaderFunction createXmlReaderFunction()
{
    static const CreateXmlReaderFunction function = [] {
        HMODULE module = LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr)
            return CreateXmlReaderFunction{};
        return reinterpret_cast<CreateXmlReaderFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "CreateXmlReader")));
    }();
    return function;
}

// The declarations of namespaces are not attributes to the reader's user
// (expat does not report them either).
constexpr std::wstring_view kXmlnsNamespace = L"http://www.w3.org/2000/xmlns/";

// More than the reader can have buffered when its input ends.
constexpr std::size_t kMaxNodesAfterEnd = 4 * kXmlChunkBytes;

class ReaderHandle {
public:
    ~ReaderHandle()
    {
        if (reader_ != nullptr)
            reader_->Release();
    }
    IXmlReader** out() { return &reader_; }
    IXmlReader* operator->() const { return reader_; }

private:
    IXmlReader* reader_ = nullptr;
};

std::string utf8Of(const WCHAR* text, UINT length)
{
    if (text == nullptr || length == 0)
        return {};
    return utf8FromWide(std::wstring_view(text, length));
}

class XmlLiteSession {
public:
    XmlLiteSession(ReaderHandle& reader, XmlInputStream& stream, XmlEvents& events)
        : reader_(reader), stream_(stream), events_(events)
    {
    }

    XmlParseResult run();

private:
    bool deliver(XmlNodeType type);
    void element();
    void attributes();
    void text();
    std::string currentLocalName() const
    {
        const WCHAR* name = nullptr;
        UINT length = 0;
        reader_->GetLocalName(&name, &length);
        return utf8Of(name, length);
    }
    std::string currentNamespace() const
    {
        const WCHAR* uri = nullptr;
        UINT length = 0;
        reader_->GetNamespaceUri(&uri, &length);
        return utf8Of(uri, length);
    }
    long line() const
    {
        UINT number = 0;
        reader_->GetLineNumber(&number);
        return static_cast<long>(number);
    }

    ReaderHandle& reader_;
    XmlInputStream& stream_;
    XmlEvents& events_;
    // The attribute texts live here while startElement looks at them.
    std::vector<std::string> attributeTexts_;
    std::vector<XmlAttribute> attributes_;
};

void XmlLiteSession::attributes()
{
    attributeTexts_.clear();
    attributes_.clear();
    for (HRESULT hr = reader_->MoveToFirstAttribute(); hr == S_OK;
         hr = reader_->MoveToNextAttribute()) {
        const WCHAR* uri = nullptr;
        UINT uriLength = 0;
        reader_->GetNamespaceUri(&uri, &uriLength);
        if (uri != nullptr && std::wstring_view(uri, uriLength) == kXmlnsNamespace)
            continue;
        const WCHAR* value = nullptr;
        UINT valueLength = 0;
        reader_->GetValue(&value, &valueLength);
        attributeTexts_.push_back(utf8Of(uri, uriLength));
        attributeTexts_.push_back(currentLocalName());
        attributeTexts_.push_back(utf8Of(value, valueLength));
    }
    reader_->MoveToElement();
    for (std::size_t i = 0; i + 2 < attributeTexts_.size(); i += 3)
        attributes_.push_back({attributeTexts_[i], attributeTexts_[i + 1], attributeTexts_[i + 2]});
}

void XmlLiteSession::element()
{
    stream_.markElement();
    // Asked before the attributes are visited, as the reader requires.
    const bool empty = reader_->IsEmptyElement() != FALSE;
    const std::string uri = currentNamespace();
    const std::string name = currentLocalName();
    attributes();
    events_.startElement(uri, name, attributes_);
    if (empty)
        events_.endElement();
}

void XmlLiteSession::text()
{
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (reader_->GetValue(&value, &length) == S_OK)
        events_.text(utf8Of(value, length));
}

XmlParseResult XmlLiteSession::run()
{
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr;
    std::size_t nodesAfterEnd = 0;
    while ((hr = reader_->Read(&type)) == S_OK) {
        // Wine's XmlLite returns an empty text node again and again when
        // the input ends inside a text; a node takes at least one character,
        // so more nodes than the input has left means it will never finish.
        if (stream_.ended() && ++nodesAfterEnd > kMaxNodesAfterEnd)
            return {XmlEnd::damaged, line()};
        if (!deliver(type))
            return {XmlEnd::noMemory, line()};
    }
    if (hr == S_FALSE)
        return {XmlEnd::complete, line()};
    if (hr == static_cast<HRESULT>(WC_E_DTDPROHIBITED))
        return {XmlEnd::dtdRefused, line()};
    if (hr == E_OUTOFMEMORY)
        return {XmlEnd::noMemory, line()};
    return {XmlEnd::damaged, line()};
}

// False when the events ran out of memory.
bool XmlLiteSession::deliver(XmlNodeType type)
{
    try {
        switch (type) {
        case XmlNodeType_Element: element(); break;
        case XmlNodeType_EndElement:
            stream_.markElement();
            events_.endElement();
            break;
        case XmlNodeType_Text:
        case XmlNodeType_CDATA:
        case XmlNodeType_Whitespace: text(); break;
        default: break;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

XmlParseResult parseXml(XmlByteSource& source, XmlEvents& events)
{
    try {
        const CreateXmlReaderFunction create = createXmlReaderFunction();
        if (create == nullptr)
            return {XmlEnd::parserMissing, 0};
        // The stream outlives the reader, which holds a reference to it.
        XmlInputStream stream(source);
        ReaderHandle reader;
        if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.out()), nullptr)))
            return {XmlEnd::parserMissing, 0};
        reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
        reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxXmlDepth);
        if (FAILED(reader->SetInput(&stream)))
            return {XmlEnd::damaged, 1};
        XmlLiteSession session(reader, stream, events);
        return session.run();
    } catch (const std::bad_alloc&) {
        return {XmlEnd::noMemory, 0};
    }
}

}  // namespace vantora::platform
