#pragma once
// The eight sections of the main window, in sidebar order.
#include <array>
#include <optional>

#include <QString>

enum class AppSection { overview, junk, large, duplicates, uninstaller, orbitMap, startup, maintenance };

struct AppSectionInfo {
    AppSection section;
    const char* id;      // raw value
    const char* title;   // Portuguese base text
    const char* symbol;  // symbol name
    const char* tint;    // named system colour
    const char* label;   // sidebar label, Portuguese base text
    const char* icon;    // sidebar icon, symbol name
};

const std::array<AppSectionInfo, 8>& allSections();
const AppSectionInfo& infoFor(AppSection section);
std::optional<AppSection> sectionFromId(const QString& id);
QString sectionId(AppSection section);
