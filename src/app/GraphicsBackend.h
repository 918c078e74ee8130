#pragma once
// Where OpenGL is only emulated on the processor (llvmpipe and the like, as in
// virtual machines), Qt Quick's own software renderer draws the same window for
// a fraction of the processor time, because it repaints only what changed.

// Picks the software scene graph when the OpenGL driver is a software one.
// Call after the application object exists and before any window is made.
// Leaves the choice alone when the user set QT_QUICK_BACKEND or QSG_RHI_BACKEND.
void chooseSceneGraphBackend();

// True for the renderer names of OpenGL drivers that run on the processor.
bool isSoftwareRenderer(const char* rendererName);
