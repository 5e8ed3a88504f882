#include "photo/xmp_text.h"

#include <algorithm>
#include <map>
#include <new>
#include <utility>
#include <vector>

#include "photo/xmp_markup.h"
#include "photo/xmp_parsed.h"
#include "platform/xml_text.h"

namespace vantora {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The prefix the program uses for a namespace it declares.
std::string preferredPrefix(std::string_view ns)
{
    if (ns == kExifNamespace)
        return "exif";
    if (ns == kPhotoshopNamespace)
        return "photoshop";
    return "ns";
}

std::string_view whitespaceBefore(std::string_view text, std::size_t at)
{
    std::size_t start = at;
    while (start > 0 && isSpace(text[start - 1]))
        --start;
    return text.substr(start, at - start);
}

// rdf:resource, rdf:parseType and the like make a property element
// something other than a text value, even when it holds no element.
bool isResourceOrStructure(const MarkupElement& property)
{
    return std::any_of(property.attributes.begin(), property.attributes.end(),
                       [](const MarkupAttribute& a) { return a.namespaceUri == kRdfNamespace; });
}

struct Edit {
    std::size_t at = 0;
    std::size_t length = 0;  // 0: an insertion
    std::string text;
};

class Editor {
public:
    Editor(std::string_view text, const Markup& markup);
    bool hasDescription() const { return !descriptions_.empty(); }
    bool set(const XmpProperty& property, std::string* why);
    std::string result() const;

private:
    const MarkupElement& element(int index) const { return markup_.elements[static_cast<std::size_t>(index)]; }
    bool replaceExisting(const XmpProperty& property, bool& found, std::string* why);
    void add(const XmpProperty& property);
    int targetFor(std::string_view ns) const;
    bool usesAttributeForm(int description) const;
    std::string prefixFor(int description, std::string_view ns);
    void addAttribute(int description, std::string_view qualifiedName, std::string_view escapedValue);
    void addElement(int description, std::string_view qualifiedName, std::string_view escapedValue);

    std::string_view text_;
    const Markup& markup_;
    std::vector<int> descriptions_;  // the rdf:Description elements directly in rdf:RDF
    std::vector<Edit> edits_;
    std::map<int, std::vector<std::pair<std::string, std::string>>> declared_;  // prefix, namespace
};

Editor::Editor(std::string_view text, const Markup& markup) : text_(text), markup_(markup)
{
    for (std::size_t i = 0; i < markup.elements.size(); ++i) {
        const MarkupElement& e = markup.elements[i];
        if (e.parent < 0 || e.namespaceUri != kRdfNamespace || e.localName != "Description")
            continue;
        const MarkupElement& parent = element(e.parent);
        if (parent.namespaceUri == kRdfNamespace && parent.localName == "RDF")
            descriptions_.push_back(static_cast<int>(i));
    }
}

bool Editor::set(const XmpProperty& property, std::string* why)
{
    bool found = false;
    if (!replaceExisting(property, found, why))
        return false;
    if (!found)
        add(property);
    return true;
}

bool Editor::replaceExisting(const XmpProperty& property, bool& found, std::string* why)
{
    const std::string value = platform::escapeXml(property.value);
    for (int d : descriptions_) {
        for (const MarkupAttribute& a : element(d).attributes)
            if (!a.isDeclaration && a.namespaceUri == property.ns && a.localName == property.name) {
                edits_.push_back({a.valueBegin, a.valueEnd - a.valueBegin, value});
                found = true;
            }
        for (int c : element(d).children) {
            const MarkupElement& child = element(c);
            if (child.namespaceUri != property.ns || child.localName != property.name)
                continue;
            if (!child.children.empty() || isResourceOrStructure(child)) {
                if (why)
                    *why = std::string(property.name) + " is a structure, not a simple value";
                return false;
            }
            if (child.selfClosing)
                edits_.push_back({child.tagEnd - 2, 2,
                                  ">" + value + "</" + std::string(child.qualifiedName) + ">"});
            else
                edits_.push_back({child.contentBegin, child.contentEnd - child.contentBegin, value});
            found = true;
        }
    }
    return true;
}

int Editor::targetFor(std::string_view ns) const
{
    for (int d : descriptions_) {
        const MarkupElement& e = element(d);
        const bool usesAttribute = std::any_of(e.attributes.begin(), e.attributes.end(), [&](const MarkupAttribute& a) {
            return !a.isDeclaration && a.namespaceUri == ns;
        });
        const bool usesElement = std::any_of(e.children.begin(), e.children.end(),
                                             [&](int c) { return element(c).namespaceUri == ns; });
        if (usesAttribute || usesElement)
            return d;
    }
    return descriptions_.front();
}

bool Editor::usesAttributeForm(int description) const
{
    const MarkupElement& e = element(description);
    if (e.children.empty())
        return true;
    return std::any_of(e.attributes.begin(), e.attributes.end(), [](const MarkupAttribute& a) {
        return !a.isDeclaration && !a.namespaceUri.empty() && a.namespaceUri != kRdfNamespace;
    });
}

std::string Editor::prefixFor(int description, std::string_view ns)
{
    if (auto bound = prefixOfNamespace(markup_, description, ns))
        return *bound;
    auto& declared = declared_[description];
    for (const auto& [prefix, uri] : declared)
        if (uri == ns)
            return prefix;
    const std::string base = preferredPrefix(ns);
    std::string prefix = base;
    for (int n = 1;; ++n) {
        const bool taken = namespaceOfPrefix(markup_, description, prefix).has_value() ||
                           std::any_of(declared.begin(), declared.end(),
                                       [&](const auto& d) { return d.first == prefix; });
        if (!taken)
            break;
        prefix = base + std::to_string(n);
    }
    declared.emplace_back(prefix, std::string(ns));
    addAttribute(description, "xmlns:" + prefix, platform::escapeXml(ns));
    return prefix;
}

void Editor::add(const XmpProperty& property)
{
    const int description = targetFor(property.ns);
    const std::string name = prefixFor(description, property.ns) + ":" + std::string(property.name);
    if (usesAttributeForm(description))
        addAttribute(description, name, platform::escapeXml(property.value));
    else
        addElement(description, name, platform::escapeXml(property.value));
}

// After the tag's last attribute, apart from it as that one is from the one
// before (a line break and indent, or a space), in its kind of quotes.
void Editor::addAttribute(int description, std::string_view qualifiedName, std::string_view escapedValue)
{
    const MarkupElement& e = element(description);
    std::size_t at = e.tagBegin + 1 + e.qualifiedName.size();
    std::string separator = " ";
    char quote = '"';
    if (!e.attributes.empty()) {
        const MarkupAttribute& last = e.attributes.back();
        at = last.valueEnd + 1;
        quote = text_[last.valueEnd];
        const std::string_view before = whitespaceBefore(text_, last.nameBegin);
        if (!before.empty())
            separator = std::string(before);
    }
    edits_.push_back({at, 0, separator + std::string(qualifiedName) + "=" + quote + std::string(escapedValue) + quote});
}

// After the last property element, indented as the first one is.
void Editor::addElement(int description, std::string_view qualifiedName, std::string_view escapedValue)
{
    const MarkupElement& e = element(description);
    const std::string indent(whitespaceBefore(text_, element(e.children.front()).tagBegin));
    const std::string name(qualifiedName);
    edits_.push_back({element(e.children.back()).elementEnd, 0,
                      indent + "<" + name + ">" + std::string(escapedValue) + "</" + name + ">"});
}

std::string Editor::result() const
{
    std::vector<Edit> edits = edits_;
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
    std::string out;
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        out.append(text_.substr(copied, edit.at - copied));
        out += edit.text;
        copied = edit.at + edit.length;
    }
    out.append(text_.substr(copied));
    return out;
}

std::string readingProblem(const ParsedXmp& parsed)
{
    switch (parsed.reading) {
    case XmpReading::read: break;
    case XmpReading::dtdRefused: return "it holds a document type declaration";
    case XmpReading::noMemory: return "not enough memory to read it";
    case XmpReading::parserMissing: return "the XML parser could not be loaded";
    case XmpReading::notWellFormed: return "it is not well-formed XML";
    }
    if (!parsed.hasXmpRoot)
        return "it is not XMP (no rdf:RDF or x:xmpmeta)";
    if (parsed.topDescriptions == 0)
        return "it holds no rdf:Description";
    return {};
}

bool givenTwice(std::span<const XmpProperty> props)
{
    for (std::size_t i = 0; i < props.size(); ++i)
        for (std::size_t j = i + 1; j < props.size(); ++j)
            if (props[i].ns == props[j].ns && props[i].name == props[j].name)
                return true;
    return false;
}

// The edited text holds what the old one held, the given properties aside,
// and every occurrence of those has its new value.
bool verified(const ParsedXmp& before, std::string_view edited, std::span<const XmpProperty> props)
{
    const ParsedXmp after = parseXmp(edited, props);
    if (!readingProblem(after).empty() || after.canonical != before.canonical)
        return false;
    for (const XmpProperty& p : props) {
        int seen = 0;
        for (const SimpleXmpProperty& q : after.properties)
            if (q.namespaceUri == p.ns && q.name == p.name) {
                if (q.complex || q.value != p.value)
                    return false;
                ++seen;
            }
        if (seen == 0)
            return false;
    }
    return true;
}

std::optional<std::string> edited(std::string_view xmp, std::span<const XmpProperty> props, std::string* why)
{
    const ParsedXmp before = parseXmp(xmp, props);
    if (std::string problem = readingProblem(before); !problem.empty()) {
        *why = problem;
        return std::nullopt;
    }
    if (givenTwice(props)) {
        *why = "a property was given twice";
        return std::nullopt;
    }
    const std::optional<Markup> markup = scanMarkup(xmp);
    if (!markup) {
        *why = "its markup is not understood";
        return std::nullopt;
    }
    Editor editor(xmp, *markup);
    if (!editor.hasDescription()) {
        *why = "it holds no rdf:Description";
        return std::nullopt;
    }
    for (const XmpProperty& p : props)
        if (!editor.set(p, why))
            return std::nullopt;
    std::string result = editor.result();
    if (!verified(before, result, props)) {
        *why = "the edited text did not read back as intended";
        return std::nullopt;
    }
    return result;
}

}  // namespace

std::optional<std::string> withProperties(std::string_view xmp, std::span<const XmpProperty> props, std::string* why)
{
    std::string ignored;
    try {
        return edited(xmp, props, why ? why : &ignored);
    } catch (const std::bad_alloc&) {
        if (why)
            *why = "not enough memory to edit it";
        return std::nullopt;
    }
}

std::string newSidecarText(std::span<const XmpProperty> props)
{
    std::vector<std::pair<std::string, std::string_view>> namespaces;  // prefix, URI
    auto prefixOf = [&](std::string_view ns) {
        for (const auto& [prefix, uri] : namespaces)
            if (uri == ns)
                return prefix;
        std::string prefix = preferredPrefix(ns);
        if (prefix == "ns")
            prefix += std::to_string(namespaces.size() + 1);
        namespaces.emplace_back(prefix, ns);
        return prefix;
    };
    std::string properties;
    for (const XmpProperty& p : props)
        properties += "\n    " + prefixOf(p.ns) + ":" + std::string(p.name) + "=\"" + platform::escapeXml(p.value) + "\"";
    std::string text = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                       "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                       " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                       "  <rdf:Description rdf:about=\"\"";
    for (const auto& [prefix, uri] : namespaces)
        text += "\n    xmlns:" + prefix + "=\"" + platform::escapeXml(uri) + "\"";
    text += properties;
    text += "/>\n </rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>\n";
    return text;
}

std::optional<std::string> fittedToLength(std::string_view packet, std::size_t length)
{
    const std::size_t end = packet.rfind("<?xpacket end=");
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::size_t padding = end - whitespaceBefore(packet, end).size();
    std::string text(packet);
    if (length >= packet.size()) {
        // Spaces go before the padding's last line break, if it ends in one.
        std::size_t at = end;
        if (at > padding && packet[at - 1] == '\n')
            --at;
        if (at > padding && packet[at - 1] == '\r')
            --at;
        text.insert(at, length - packet.size(), ' ');
        return text;
    }
    std::size_t surplus = packet.size() - length;
    if (end - padding < surplus)
        return std::nullopt;
    // Spaces go first, line breaks only when they must.
    std::size_t paddingEnd = end;
    for (int pass = 0; pass < 2 && surplus > 0; ++pass)
        for (std::size_t i = paddingEnd; i-- > padding && surplus > 0;)
            if (pass == 1 || text[i] == ' ') {
                text.erase(i, 1);
                --surplus;
                --paddingEnd;
            }
    return text;
}

}  // namespace vantora
