#pragma once
// Showing an item in the desktop's file browser.
#include <filesystem>

namespace FS {

// Asks the file manager to open a window with the item selected
// (org.freedesktop.FileManager1.ShowItems over D-Bus); where no file manager
// answers, opens the enclosing folder with the application registered for
// folders. False when neither could be done: nothing was shown.
bool reveal(const std::filesystem::path& item);

} // namespace FS
