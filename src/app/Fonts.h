#pragma once
// The fonts of the interface: the icon font shipped in the resources, and a
// default family that draws the interface language's script well (Japanese
// and Chinese share characters but not their shapes).
class QGuiApplication;

void installFonts(QGuiApplication& app);
