#pragma once
// Fixture application bundles and launch property lists for the tests.
#include <filesystem>
#include <string>
#include <vector>

#include "engines/apps/MacBundles.h"
#include "engines/startup/MacLaunchItems.h"
#include "profiles/SystemPlaces.h"
#include "support/Fixtures.h"

// An XML property list holding one dictionary of text values.
inline std::string xmlPlist(std::initializer_list<std::pair<std::string, std::string>> entries,
                            const std::string& extra = "")
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\"><dict>\n";
    for (const auto& [key, value] : entries)
        text += "<key>" + key + "</key><string>" + value + "</string>\n";
    return text + extra + "</dict></plist>\n";
}

// A bundle folder NAME.app in `folder` whose Info.plist holds the identifier
// (none when empty) and the version (none when empty); `bytes` of filler inside.
inline std::filesystem::path makeBundle(const std::filesystem::path& folder, const std::string& name,
                                        const std::string& id, const std::string& version = "",
                                        std::size_t bytes = 0)
{
    const std::filesystem::path bundle = folder / (name + ".app");
    std::filesystem::create_directories(bundle / "Contents/MacOS");
    const std::string versionEntry =
        version.empty() ? "" : "<key>CFBundleShortVersionString</key><string>" + version + "</string>\n";
    if (!id.empty())
        writeFile(bundle / "Contents/Info.plist", xmlPlist({{"CFBundleIdentifier", id}}, versionEntry));
    if (bytes > 0)
        writeBytes(bundle / "Contents/MacOS" / name, bytes);
    return bundle;
}

// The bundles of one fixture folder, as the macos profile's applications
// (its leftover folders, under the test's home).
inline AppBackend bundlesIn(const std::filesystem::path& folder)
{
    MacApps::Places places = Profiles::macosAppPlaces();
    places.folders = {folder};
    return MacApps::backend(places);
}
