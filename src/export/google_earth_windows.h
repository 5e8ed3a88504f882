#pragma once
// Finding Google Earth through its uninstall registration and starting it
// with a KML file. Windows only.

#include <optional>
#include <string>

namespace vantora {

// The "InstallLocation" of the uninstall entry whose "DisplayName" equals
// the given name as a whole, ignoring letter case. The 64-bit registry view
// is searched first, then the 32-bit one. Reading needs no administrator
// rights. No entry, an entry without a location or with an empty one, or an
// unreadable registry: nullopt. Never throws.
std::optional<std::wstring> findInstallLocation(const std::wstring& displayName);

// googleearth.exe in the install location, with a back-slash put between
// them when the location does not end in one.
std::wstring googleEarthExecutable(const std::wstring& installLocation);

// The program that shows a KML file on this PC: the "Google Earth" entry's
// googleearth.exe; else the "Google Earth Pro" entry's, which keeps it in
// the "client" folder of its install location (or, should a version not,
// in the location itself). Empty when neither is registered.
std::optional<std::wstring> findGoogleEarth();

// Whether some program is associated with ".kml" files for opening.
bool kmlHasAssociation();

// Opens the KML file through its association; whether it was handed on.
bool openKmlByAssociation(const std::wstring& kmlPath);

// Starts the executable with the KML path as its one argument, both quoted,
// in a normal window, without waiting for it. When the executable cannot be
// started, the KML file is opened through its file association instead.
// Returns whether the executable itself was started. Never throws.
bool launchWithKml(const std::wstring& executable, const std::wstring& kmlPath);

}  // namespace vantora
