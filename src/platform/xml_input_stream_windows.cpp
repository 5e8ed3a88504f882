#include "platform/xml_input_stream_windows.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

namespace vantora::platform {

namespace {

constexpr UINT kLatin1CodePage = 28591;
constexpr UINT kWindows1252CodePage = 1252;
// The declaration is looked for only this far into the file.
constexpr std::size_t kDeclarationSearchBytes = 512;

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

UINT singleByteCodePageNamed(std::string_view name)
{
    for (std::string_view latin1 : {"iso-8859-1", "latin1", "iso_8859-1", "l1"})
        if (equalsIgnoringAsciiCase(name, latin1))
            return kLatin1CodePage;
    for (std::string_view windows : {"windows-1252", "cp1252"})
        if (equalsIgnoringAsciiCase(name, windows))
            return kWindows1252CodePage;
    return 0;
}

// Where the value of encoding="..." stands in an XML declaration at the very
// start of `head` (no byte-order mark: such a file is not single-byte).
struct DeclaredEncoding {
    std::size_t valueStart = 0;
    std::size_t valueLength = 0;
};

bool findDeclaredEncoding(std::string_view head, DeclaredEncoding& out)
{
    if (head.substr(0, 5) != "<?xml")
        return false;
    const std::size_t end = head.substr(0, kDeclarationSearchBytes).find("?>");
    if (end == std::string_view::npos)
        return false;
    const std::string_view declaration = head.substr(0, end);
    const std::size_t name = declaration.find("encoding");
    if (name == std::string_view::npos)
        return false;
    std::size_t i = name + 8;
    while (i < declaration.size() && (declaration[i] == ' ' || declaration[i] == '=' ||
                                      declaration[i] == '\t' || declaration[i] == '\r' ||
                                      declaration[i] == '\n'))
        ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
        return false;
    const std::size_t close = declaration.find(declaration[i], i + 1);
    if (close == std::string_view::npos)
        return false;
    out = {i + 1, close - i - 1};
    return true;
}

struct Utf8Prefix {
    std::size_t length = 0;  // bytes of whole, well-formed sequences
    bool malformed = false;  // false: what follows is an unfinished sequence
};

// The well-formed UTF-8 at the start of `text` (RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF).
Utf8Prefix validUtf8Prefix(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead == 0xE0) { length = 3; low = 0xA0; }
        else if (lead == 0xED) { length = 3; high = 0x9F; }
        else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
        else if (lead == 0xF0) { length = 4; low = 0x90; }
        else if (lead == 0xF4) { length = 4; high = 0x8F; }
        else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
        else return {i, true};
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= text.size())
                return {i, false};
            const auto c = static_cast<unsigned char>(text[i + k]);
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
                return {i, true};
        }
        i += length;
    }
    return {i, false};
}

}  // namespace

XmlInputStream::XmlInputStream(XmlByteSource& source) : source_(source), chunk_(kXmlChunkBytes) {}

HRESULT STDMETHODCALLTYPE XmlInputStream::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(ISequentialStream)) {
        *object = static_cast<ISequentialStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE XmlInputStream::AddRef()
{
    return ++references_;
}

ULONG STDMETHODCALLTYPE XmlInputStream::Release()
{
    return references_ > 1 ? --references_ : 1;
}

HRESULT STDMETHODCALLTYPE XmlInputStream::Write(const void*, ULONG, ULONG*)
{
    return STG_E_ACCESSDENIED;
}

void XmlInputStream::appendConverted(const char* bytes, std::size_t size)
{
    if (mode_ == Mode::passThrough) {
        pending_.append(bytes, size);
        return;
    }
    if (mode_ == Mode::checkedUtf8) {
        appendCheckedUtf8(bytes, size);
        return;
    }
    // One UTF-16 unit per byte in both code pages, so chunks convert alone.
    std::wstring wide(size, L'\0');
    const int length = MultiByteToWideChar(singleByteCodePage_, 0, bytes, static_cast<int>(size),
                                           wide.data(), static_cast<int>(wide.size()));
    pending_.append(reinterpret_cast<const char*>(wide.data()),
                    static_cast<std::size_t>(std::max(length, 0)) * sizeof(wchar_t));
}

// Not every XmlLite refuses malformed UTF-8 (Wine's reads it as U+FFFD), so
// the input ends at the first malformed sequence, as expat stops there: the
// reader then reports the file as damaged at that point.
void XmlInputStream::appendCheckedUtf8(const char* bytes, std::size_t size)
{
    std::string text = std::move(unfinishedUtf8_);
    text.append(bytes, size);
    const Utf8Prefix valid = validUtf8Prefix(text);
    pending_.append(text, 0, valid.length);
    if (valid.malformed)
        ended_ = true;
    else
        unfinishedUtf8_ = text.substr(valid.length);
}

// The first chunk decides how the input reaches the reader: UTF-16 as it
// is; a declared single-byte encoding as UTF-16 with a byte-order mark and a
// declaration that names UTF-16; anything else as checked UTF-8.
void XmlInputStream::start(const char* bytes, std::size_t size)
{
    const std::string_view head(bytes, size);
    const bool utf16 = head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF" ||
                       head.substr(0, 2) == std::string_view("<\0", 2) ||
                       head.substr(0, 2) == std::string_view("\0<", 2);
    if (utf16) {
        mode_ = Mode::passThrough;
        appendConverted(bytes, size);
        return;
    }
    DeclaredEncoding encoding;
    if (findDeclaredEncoding(head, encoding))
        singleByteCodePage_ = singleByteCodePageNamed(head.substr(encoding.valueStart, encoding.valueLength));
    if (singleByteCodePage_ == 0) {
        mode_ = Mode::checkedUtf8;
        appendConverted(bytes, size);
        return;
    }
    mode_ = Mode::singleByte;
    pending_.assign("\xFF\xFE", 2);
    appendConverted(bytes, encoding.valueStart);
    appendConverted("UTF-16", 6);
    const std::size_t rest = encoding.valueStart + encoding.valueLength;
    appendConverted(bytes + rest, size - rest);
}

// False at the end of the input.
bool XmlInputStream::refill()
{
    if (ended_)
        return false;
    if (delivered_ - deliveredAtLastElement_ > kMaxXmlStallBytes) {
        ended_ = true;
        return false;
    }
    const std::size_t got = source_.read(chunk_.data(), chunk_.size());
    if (got == 0) {
        ended_ = true;
        return false;
    }
    delivered_ += got;
    pending_.clear();
    offset_ = 0;
    if (!started_) {
        started_ = true;
        start(chunk_.data(), got);
    } else {
        appendConverted(chunk_.data(), got);
    }
    return true;
}

HRESULT STDMETHODCALLTYPE XmlInputStream::Read(void* buffer, ULONG size, ULONG* read)
{
    try {
        ULONG copied = 0;
        auto* out = static_cast<char*>(buffer);
        while (copied < size && (offset_ < pending_.size() || refill())) {
            const std::size_t take = std::min<std::size_t>(size - copied, pending_.size() - offset_);
            std::memcpy(out + copied, pending_.data() + offset_, take);
            offset_ += take;
            copied += static_cast<ULONG>(take);
        }
        if (read != nullptr)
            *read = copied;
        return copied == size ? S_OK : S_FALSE;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace vantora::platform
