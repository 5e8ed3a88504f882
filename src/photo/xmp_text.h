#pragma once
// XMP texts in memory (UTF-8): changing a few simple properties of an
// existing packet and nothing else, a new packet for a new sidecar, and
// fitting an edited packet into the room its old one had. Reading values
// and formatting them: photo/xmp_values.h.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantora {

constexpr std::string_view kExifNamespace = "http://ns.adobe.com/exif/1.0/";
constexpr std::string_view kPhotoshopNamespace = "http://ns.adobe.com/photoshop/1.0/";

// One simple property to write: its namespace URI, its local name and its
// value (plain text, escaped when written).
struct XmpProperty {
    std::string_view ns;
    std::string_view name;
    std::string value;
};

// The text with every given property set. A property that exists in a
// top-level rdf:Description (as an attribute, or as an element holding only
// text, whatever prefix the text binds to its namespace) has only its
// value's bytes replaced. One that does not is added to the first
// description already using its namespace, else to the first one: as an
// attribute when that description holds property attributes or no element,
// else as an element laid out like its siblings; a namespace not bound
// there is declared on it (under a free prefix). Every other byte stays.
// The result is parsed again and must hold exactly the old properties with
// only the given ones changed; any doubt gives nullopt and, in `why`, the
// reason (not XMP, not well-formed, a DTD, no rdf:Description, a property
// that is a structure, an edit that could not be verified).
std::optional<std::string> withProperties(std::string_view xmp, std::span<const XmpProperty> props,
                                          std::string* why = nullptr);

// A new minimal packet holding the properties in one rdf:Description.
std::string newSidecarText(std::span<const XmpProperty> props);

// The packet made exactly `length` bytes long by growing or shrinking the
// whitespace padding before its closing <?xpacket end=...?>; nullopt when it
// has no such end or too little padding to give.
std::optional<std::string> fittedToLength(std::string_view editedPacket, std::size_t length);

}  // namespace vantora
