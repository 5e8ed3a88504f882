#pragma once
// The bytes of an XmlByteSource as the ISequentialStream XmlLite reads.
//
// XmlLite under Windows reads files declared ISO-8859-1 or Windows-1252,
// but not every XmlLite does (Wine's fails at line 1 with WC_E_ENCNAME);
// such a file is handed over as UTF-16 instead, with the declaration saying
// so, so every build reads it alike. It also ends the input once too much
// has passed without an element starting or ending (kMaxXmlStallBytes).

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "platform/xml_parser.h"

namespace vantora::platform {

class XmlInputStream final : public ISequentialStream {
public:
    explicit XmlInputStream(XmlByteSource& source);

    // An element started or ended: the input is not a giant node.
    void markElement() { deliveredAtLastElement_ = delivered_; }
    // The input has ended (or was cut at malformed UTF-8 or a giant node).
    bool ended() const { return ended_ && offset_ >= pending_.size(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override;

private:
    enum class Mode { checkedUtf8, passThrough, singleByte };

    bool refill();
    void start(const char* bytes, std::size_t size);
    void appendConverted(const char* bytes, std::size_t size);
    void appendCheckedUtf8(const char* bytes, std::size_t size);

    XmlByteSource& source_;
    ULONG references_ = 1;  // owned by its creator, never deleted through Release
    std::vector<char> chunk_;
    // Bytes ready for the reader, from pending_[offset_] on.
    std::string pending_;
    std::size_t offset_ = 0;
    bool started_ = false;
    bool ended_ = false;
    Mode mode_ = Mode::checkedUtf8;
    UINT singleByteCodePage_ = 0;
    std::string unfinishedUtf8_;   // a sequence cut by the chunk's end
    std::size_t delivered_ = 0;    // source bytes taken so far
    std::size_t deliveredAtLastElement_ = 0;
};

}  // namespace vantora::platform
