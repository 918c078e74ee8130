#pragma once
// Where OpenGL is only emulated on the processor (llvmpipe and the like, as in
// virtual machines), Qt Quick's own software renderer draws the same window for
// a fraction of the processor time, because it repaints only what changed.

// Picks the software scene graph when the OpenGL driver is a software one.
// Call after the application object exists and before any window is made.
// Leaves the choice alone when the user set QT_QUICK_BACKEND or QSG_RHI_BACKEND.
// A machine without graphics devices draws in software at once; otherwise the
// driver is asked once, by a short-lived copy of the program (so this process
// never loads a driver stack it will not use), and the answer is remembered
// for these devices.
void chooseSceneGraphBackend();

// The argument that makes the program only ask the OpenGL driver which
// renderer it is, print "software" or "hardware", and end.
inline constexpr const char* kProbeRendererArgument = "--probe-renderer";
int probeRenderer(int argc, char* argv[]);

// True for the renderer names of OpenGL drivers that run on the processor.
bool isSoftwareRenderer(const char* rendererName);
