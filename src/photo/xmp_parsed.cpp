#include "photo/xmp_parsed.h"

#include <algorithm>
#include <new>

#include "platform/xml_parser.h"
#include "platform/xml_text.h"

namespace vantora {

namespace {

bool isWhitespace(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Where the reader is, in the terms that matter to XMP.
enum class Place { outside, inRdf, inDescription, inProperty, deeper };

class XmpEvents final : public platform::XmlEvents {
public:
    XmpEvents(ParsedXmp& result, std::span<const XmpProperty> leftOut) : result_(result), leftOut_(leftOut) {}

    void startElement(std::string_view namespaceUri, std::string_view localName,
                      std::span<const platform::XmlAttribute> attributes) override;
    void endElement() override;
    void text(std::string_view utf8) override { pendingText_.append(utf8); }

private:
    bool isLeftOut(std::string_view namespaceUri, std::string_view name) const
    {
        return std::any_of(leftOut_.begin(), leftOut_.end(), [&](const XmpProperty& p) {
            return p.ns == namespaceUri && p.name == name;
        });
    }
    Place here() const { return places_.empty() ? Place::outside : places_.back(); }
    Place placeOfChild(std::string_view namespaceUri, std::string_view localName) const;
    void flushText();
    void descriptionAttributes(std::span<const platform::XmlAttribute> attributes);

    ParsedXmp& result_;
    std::span<const XmpProperty> leftOut_;
    std::vector<Place> places_;
    std::string pendingText_;
    int omittedDepth_ = 0;  // > 0 inside a left-out property element
    SimpleXmpProperty property_;  // the property element being read
};

Place XmpEvents::placeOfChild(std::string_view namespaceUri, std::string_view localName) const
{
    const bool rdfRoot = namespaceUri == kRdfNamespace && localName == "RDF";
    switch (here()) {
    case Place::outside: return rdfRoot ? Place::inRdf : Place::outside;
    case Place::inRdf:
        return namespaceUri == kRdfNamespace && localName == "Description" ? Place::inDescription : Place::deeper;
    case Place::inDescription: return Place::inProperty;
    default: return Place::deeper;
    }
}

void XmpEvents::flushText()
{
    if (pendingText_.empty())
        return;
    // Whitespace between the properties of a description is layout only;
    // an edit that adds a property adds some.
    const bool layout = (here() == Place::inDescription || here() == Place::inRdf) && isWhitespace(pendingText_);
    if (omittedDepth_ == 0 && !layout)
        result_.canonical.push_back("T" + pendingText_);
    if (here() == Place::inProperty)
        property_.value += pendingText_;
    pendingText_.clear();
}

void XmpEvents::descriptionAttributes(std::span<const platform::XmlAttribute> attributes)
{
    ++result_.topDescriptions;
    for (const platform::XmlAttribute& attribute : attributes)
        if (attribute.namespaceUri != kRdfNamespace && !attribute.namespaceUri.empty())
            result_.properties.push_back({std::string(attribute.namespaceUri), std::string(attribute.localName),
                                          std::string(attribute.value), false});
}

void XmpEvents::startElement(std::string_view namespaceUri, std::string_view localName,
                             std::span<const platform::XmlAttribute> attributes)
{
    flushText();
    if (here() == Place::inProperty)
        property_.complex = true;
    const Place place = placeOfChild(namespaceUri, localName);
    if (place == Place::inRdf || (namespaceUri == kXmpMetaNamespace && localName == "xmpmeta"))
        result_.hasXmpRoot = true;
    if (place == Place::inDescription)
        descriptionAttributes(attributes);
    if (place == Place::inProperty) {
        property_ = {std::string(namespaceUri), std::string(localName), {}, false};
        if (isLeftOut(namespaceUri, localName))
            omittedDepth_ = 1;
    } else if (omittedDepth_ > 0) {
        ++omittedDepth_;
    }
    places_.push_back(place);
    if (omittedDepth_ > 0)
        return;
    std::vector<std::string> kept;
    for (const platform::XmlAttribute& attribute : attributes)
        if (place != Place::inDescription || !isLeftOut(attribute.namespaceUri, attribute.localName))
            kept.push_back(" " + std::string(attribute.namespaceUri) + "|" + std::string(attribute.localName) +
                           "=" + std::string(attribute.value));
    std::sort(kept.begin(), kept.end());
    std::string entry = "<" + std::string(namespaceUri) + "|" + std::string(localName);
    for (const std::string& attribute : kept)
        entry += attribute;
    result_.canonical.push_back(std::move(entry));
}

void XmpEvents::endElement()
{
    flushText();
    if (places_.empty())
        return;
    const Place place = places_.back();
    places_.pop_back();
    if (place == Place::inProperty)
        result_.properties.push_back(std::move(property_));
    if (omittedDepth_ > 0) {
        --omittedDepth_;
        return;
    }
    result_.canonical.push_back(">");
}

XmpReading readingOf(platform::XmlEnd end)
{
    switch (end) {
    case platform::XmlEnd::complete: return XmpReading::read;
    case platform::XmlEnd::dtdRefused: return XmpReading::dtdRefused;
    case platform::XmlEnd::noMemory: return XmpReading::noMemory;
    case platform::XmlEnd::parserMissing: return XmpReading::parserMissing;
    case platform::XmlEnd::damaged: break;
    }
    return XmpReading::notWellFormed;
}

}  // namespace

ParsedXmp parseXmp(std::string_view text, std::span<const XmpProperty> leftOut)
{
    ParsedXmp result;
    try {
        platform::XmlTextSource source(text);
        XmpEvents events(result, leftOut);
        result.reading = readingOf(platform::parseXml(source, events).end);
    } catch (const std::bad_alloc&) {
        result = {};
        result.reading = XmpReading::noMemory;
    }
    return result;
}

}  // namespace vantora
