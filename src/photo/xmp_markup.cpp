#include "photo/xmp_markup.h"

#include <new>

namespace vantora {

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isNameChar(char c)
{
    return !isSpace(c) && c != '/' && c != '>' && c != '<' && c != '=' && c != '"' && c != '\'';
}

std::string_view prefixOf(std::string_view qualifiedName)
{
    const std::size_t colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? std::string_view{} : qualifiedName.substr(0, colon);
}

std::string_view localOf(std::string_view qualifiedName)
{
    const std::size_t colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
}

// The prefix an xmlns attribute declares ("" for the default namespace),
// or nullopt when the attribute declares none.
std::optional<std::string_view> declaredPrefix(std::string_view qualifiedName)
{
    if (qualifiedName == "xmlns")
        return std::string_view{};
    if (qualifiedName.substr(0, 6) == "xmlns:")
        return qualifiedName.substr(6);
    return std::nullopt;
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}
    bool run();
    Markup take() { return std::move(markup_); }

private:
    bool markupAt();
    bool skipPast(std::string_view end);
    bool startTag();
    bool attribute(MarkupElement& element);
    bool endTag();
    bool resolveNames(int index);
    std::size_t nameEnd(std::size_t from) const;
    void skipSpace();

    std::string_view text_;
    std::size_t pos_ = 0;
    Markup markup_;
    std::vector<int> open_;
};

bool Scanner::run()
{
    while (pos_ < text_.size()) {
        const std::size_t next = text_.find('<', pos_);
        if (next == std::string_view::npos)
            break;
        pos_ = next;
        if (!markupAt())
            return false;
    }
    return open_.empty() && !markup_.elements.empty();
}

bool Scanner::markupAt()
{
    const std::string_view rest = text_.substr(pos_);
    if (rest.substr(0, 4) == "<!--")
        return skipPast("-->");
    if (rest.substr(0, 9) == "<![CDATA[")
        return !open_.empty() && skipPast("]]>");
    if (rest.substr(0, 2) == "<!")
        return false;  // a document type declaration is never read
    if (rest.substr(0, 2) == "<?")
        return skipPast("?>");
    if (rest.substr(0, 2) == "</")
        return endTag();
    return startTag();
}

bool Scanner::skipPast(std::string_view end)
{
    const std::size_t found = text_.find(end, pos_ + 2);
    if (found == std::string_view::npos)
        return false;
    pos_ = found + end.size();
    return true;
}

std::size_t Scanner::nameEnd(std::size_t from) const
{
    while (from < text_.size() && isNameChar(text_[from]))
        ++from;
    return from;
}

void Scanner::skipSpace()
{
    while (pos_ < text_.size() && isSpace(text_[pos_]))
        ++pos_;
}

bool Scanner::startTag()
{
    MarkupElement element;
    element.tagBegin = pos_;
    const std::size_t end = nameEnd(pos_ + 1);
    if (end == pos_ + 1)
        return false;
    element.qualifiedName = text_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end;
    for (;;) {
        skipSpace();
        if (pos_ >= text_.size())
            return false;
        if (text_[pos_] == '>' || text_.substr(pos_, 2) == "/>")
            break;
        if (!attribute(element))
            return false;
    }
    element.selfClosing = text_[pos_] == '/';
    pos_ += element.selfClosing ? 2 : 1;
    element.tagEnd = pos_;
    element.contentBegin = element.contentEnd = element.elementEnd = pos_;
    element.parent = open_.empty() ? -1 : open_.back();
    if (element.parent < 0 && !markup_.elements.empty())
        return false;  // a second root
    const int index = static_cast<int>(markup_.elements.size());
    markup_.elements.push_back(std::move(element));
    if (markup_.elements.back().parent >= 0)
        markup_.elements[static_cast<std::size_t>(markup_.elements.back().parent)].children.push_back(index);
    if (!resolveNames(index))
        return false;
    if (!markup_.elements.back().selfClosing)
        open_.push_back(index);
    return true;
}

bool Scanner::attribute(MarkupElement& element)
{
    MarkupAttribute attribute;
    attribute.nameBegin = pos_;
    const std::size_t end = nameEnd(pos_);
    if (end == pos_)
        return false;
    attribute.qualifiedName = text_.substr(pos_, end - pos_);
    pos_ = end;
    skipSpace();
    if (pos_ >= text_.size() || text_[pos_] != '=')
        return false;
    ++pos_;
    skipSpace();
    if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
        return false;
    const std::size_t close = text_.find(text_[pos_], pos_ + 1);
    if (close == std::string_view::npos)
        return false;
    attribute.valueBegin = pos_ + 1;
    attribute.valueEnd = close;
    pos_ = close + 1;
    // Attributes must be apart: a="1"b="2" is not well-formed.
    if (pos_ < text_.size() && isNameChar(text_[pos_]))
        return false;
    if (const auto prefix = declaredPrefix(attribute.qualifiedName)) {
        attribute.isDeclaration = true;
        // Namespace names in XMP are plain URIs: a declaration holding an
        // entity or character reference is not understood here.
        const std::string_view uri = text_.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin);
        if (uri.find('&') != std::string_view::npos)
            return false;
        element.declarations.push_back({std::string(*prefix), std::string(uri)});
    }
    element.attributes.push_back(attribute);
    return true;
}

bool Scanner::endTag()
{
    const std::size_t end = nameEnd(pos_ + 2);
    const std::string_view name = text_.substr(pos_ + 2, end - pos_ - 2);
    const std::size_t close = text_.find('>', end);
    if (open_.empty() || close == std::string_view::npos)
        return false;
    for (std::size_t i = end; i < close; ++i)
        if (!isSpace(text_[i]))
            return false;
    MarkupElement& element = markup_.elements[static_cast<std::size_t>(open_.back())];
    if (element.qualifiedName != name)
        return false;
    element.contentEnd = pos_;
    element.elementEnd = close + 1;
    pos_ = close + 1;
    open_.pop_back();
    return true;
}

bool Scanner::resolveNames(int index)
{
    MarkupElement& element = markup_.elements[static_cast<std::size_t>(index)];
    const auto elementUri = namespaceOfPrefix(markup_, index, prefixOf(element.qualifiedName));
    if (!elementUri && !prefixOf(element.qualifiedName).empty())
        return false;
    element.namespaceUri = elementUri.value_or("");
    element.localName = localOf(element.qualifiedName);
    for (MarkupAttribute& attribute : element.attributes) {
        if (attribute.isDeclaration)
            continue;
        const std::string_view prefix = prefixOf(attribute.qualifiedName);
        attribute.localName = localOf(attribute.qualifiedName);
        if (prefix.empty())
            continue;  // an attribute without a prefix is in no namespace
        const auto uri = namespaceOfPrefix(markup_, index, prefix);
        if (!uri)
            return false;
        attribute.namespaceUri = *uri;
    }
    return true;
}

}  // namespace

std::optional<Markup> scanMarkup(std::string_view text)
{
    try {
        Scanner scanner(text);
        if (!scanner.run())
            return std::nullopt;
        return scanner.take();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<std::string> namespaceOfPrefix(const Markup& markup, int index, std::string_view prefix)
{
    if (prefix == "xml")
        return std::string(kXmlNamespace);
    for (int at = index; at >= 0; at = markup.elements[static_cast<std::size_t>(at)].parent)
        for (const MarkupElement::Declaration& declaration : markup.elements[static_cast<std::size_t>(at)].declarations)
            if (declaration.prefix == prefix)
                return declaration.namespaceUri;
    return std::nullopt;
}

std::optional<std::string> prefixOfNamespace(const Markup& markup, int index, std::string_view namespaceUri)
{
    for (int at = index; at >= 0; at = markup.elements[static_cast<std::size_t>(at)].parent)
        for (const MarkupElement::Declaration& declaration : markup.elements[static_cast<std::size_t>(at)].declarations)
            if (declaration.namespaceUri == namespaceUri && !declaration.prefix.empty() &&
                namespaceOfPrefix(markup, index, declaration.prefix) == namespaceUri)
                return declaration.prefix;
    return std::nullopt;
}

}  // namespace vantora
