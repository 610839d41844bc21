#include "app/sound.h"

#include "core/helpers.h"

void PlayMidiFile(platform::ui::Window*, const char* name) { DebugLog("PlayMidiFile %s", name); }
void CloseMidiFile() {}
void CloseMidiOut() {}
void AllNotesOff() {}
void PlayClick() {}
