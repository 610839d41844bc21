#pragma once
// The sound calls start-up and shutdown make. Placeholders that log only,
// until the sound module replaces them.
namespace platform::ui {
class Window;
}

void PlayMidiFile(platform::ui::Window* owner, const char* name);
void CloseMidiFile();
void CloseMidiOut();
void AllNotesOff();
// The click of a button press.
void PlayClick();
