#pragma once
// The program's short sound effects: "scan_start", "scan_done", "clean" and
// "tick", shipped as WAV resources under ":/sounds/". Played on the main thread
// only. Without an audio device the effects are simply silent.
#include <QString>

class QSoundEffect;

namespace Sound {

// The "soundEnabled" preference: the stored Boolean, or true when nothing
// (or something that is not a Boolean) is stored.
bool enabled();
// Stores the preference at once and writes it to disk.
void setEnabled(bool on);

// Plays the effect NAME at VOLUME (0 to 1). Does nothing when sounds are off
// (without touching any file) or when there is no resource for NAME. Starting
// a name again stops the instance of that name that is still live.
void play(const QString& name, float volume = 0.8f);

// Before the program ends: lets each sound whose file is still loading finish
// (turning the event loop for at most `maxMs`), so that Qt's sample loader is
// idle when its cache is torn down; one torn down while it decodes can hang.
void settle(int maxMs = 2000);

// The resource path of an effect: ":/sounds/NAME.wav".
QString resourcePath(const QString& name);

// The sound object last started under NAME, or null. For tests and diagnostics.
const QSoundEffect* liveFor(const QString& name);
// How many names have a live sound object.
int liveCount();

} // namespace Sound
