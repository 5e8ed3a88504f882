#pragma once
// An XMP text as the platform's XML parser reads it: its simple properties
// (the values of the top-level rdf:Description elements, in attribute or
// element form) and a canonical form of everything in it, to compare two
// texts by meaning rather than by bytes.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "photo/xmp_text.h"

namespace vantora {

constexpr std::string_view kRdfNamespace = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view kXmpMetaNamespace = "adobe:ns:meta/";

struct SimpleXmpProperty {
    std::string namespaceUri;
    std::string name;
    std::string value;
    bool complex = false;  // an element with elements inside: a structure or an array
};

enum class XmpReading {
    read,
    notWellFormed,
    dtdRefused,
    noMemory,
    parserMissing,
};

struct ParsedXmp {
    XmpReading reading = XmpReading::read;
    bool hasXmpRoot = false;         // an rdf:RDF or x:xmpmeta element was seen
    int topDescriptions = 0;         // rdf:Description elements directly in rdf:RDF
    std::vector<SimpleXmpProperty> properties;  // of the top-level descriptions, in order
    // One entry per element start, end and text, the `left out` properties
    // of the top-level descriptions omitted, and whitespace between the
    // properties (which carries no meaning in RDF) dropped.
    std::vector<std::string> canonical;
};

ParsedXmp parseXmp(std::string_view text, std::span<const XmpProperty> leftOut = {});

}  // namespace vantora
