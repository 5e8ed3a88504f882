#pragma once
// Where things are in an XML text, byte by byte: the start and end tags,
// attributes and contents of every element, with their namespaces. The
// platform's parsers tell what a text means but not where its bytes are;
// this scanner is what lets an XMP edit replace a value's bytes and nothing
// else. It assumes a text the platform parser has accepted already, and
// gives up (nullopt) on anything it does not understand, never guesses.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantora {

struct MarkupAttribute {
    std::string_view qualifiedName;   // "exif:GPSLatitude", "xmlns:exif"
    std::string namespaceUri;         // empty without a prefix, and for declarations
    std::string_view localName;
    bool isDeclaration = false;       // xmlns or xmlns:prefix
    std::size_t nameBegin = 0;        // offset of the name's first byte
    std::size_t valueBegin = 0;       // the value's bytes, between the quotes
    std::size_t valueEnd = 0;
};

struct MarkupElement {
    std::string_view qualifiedName;
    std::string namespaceUri;
    std::string_view localName;
    int parent = -1;                  // index in Markup::elements, -1 for the root
    std::vector<int> children;
    std::vector<MarkupAttribute> attributes;  // declarations too, in text order
    struct Declaration {
        std::string prefix;  // empty for the default namespace
        std::string namespaceUri;
    };
    std::vector<Declaration> declarations;   // the xmlns attributes of this tag
    std::size_t tagBegin = 0;         // the '<' of the start tag
    std::size_t tagEnd = 0;           // one past the '>' of the start tag
    std::size_t contentBegin = 0;     // between the tags (empty for <a/>)
    std::size_t contentEnd = 0;
    std::size_t elementEnd = 0;       // one past the '>' of the end tag
    bool selfClosing = false;
};

struct Markup {
    std::vector<MarkupElement> elements;  // in document order
};

// The elements of the text; nullopt for a document type declaration, an
// unbound prefix, or markup that is cut off or does not nest.
std::optional<Markup> scanMarkup(std::string_view text);

// The namespace bound to `prefix` where element `index` is (its own
// declarations first); nullopt when the prefix is not bound there.
std::optional<std::string> namespaceOfPrefix(const Markup& markup, int index, std::string_view prefix);

// A prefix bound to `namespaceUri` at element `index` and not hidden by a
// nearer declaration of the same prefix; nullopt when there is none.
std::optional<std::string> prefixOfNamespace(const Markup& markup, int index, std::string_view namespaceUri);

}  // namespace vantora
