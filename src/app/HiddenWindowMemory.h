#pragma once
// A program that waits in the tray all day should hold little. When the main
// window is closed to the tray its content is released (its QML tears the
// item tree down); a moment later this gives the memory that held back to the
// system: the engine's unused components and garbage, the window's drawing
// resources, the allocator's free pages, and the pages of the program's and
// its libraries' files (read again from the disk when the window opens). The
// runtime log says how long the window then took to show its first frame.
class QQmlEngine;
class QQuickWindow;

void releaseMemoryWhenHidden(QQmlEngine& engine, QQuickWindow& window);
