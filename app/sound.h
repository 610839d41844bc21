#pragma once
// Earthquake and eruption tones, clicks, the siren and the theme music, over
// the platform's MIDI output, wave player and MIDI-file sequencer.
#include <cstdint>

#include "core/config.h"

namespace platform::sound {
class Output;
}
namespace platform::ui {
class Window;
}

// The open MIDI output; nullptr until OpenMidiOut succeeds.
extern platform::sound::Output* gMidiOut;

// The message the theme music's owner gets when the file has played to its end.
inline constexpr std::uint32_t kMmMciNotify = 0x3B9;
inline constexpr std::uint64_t kMciNotifySuccessful = 1;

// 0 open, 1 no MIDI output device, 2 opening failed.
int OpenMidiOut();
void CloseMidiOut();
void AllNotesOff();
void PlayNote(int voice, int note, int velocity);
void PlayEarthquakeTone(double magnitude);
void PlayEruptionTone(double size);
void PlayClick();
void PlaySiren();
void StopWaveSound();
// 0, or the sequencer's error number.
int PlayMidiFile(platform::ui::Window* owner, const char* name);
void CloseMidiFile();

// The sound settings of the last configuration read; registered with the reader.
void TakeSoundSettings(const SoundSettings& settings);
// Tests: forget the output, the channel table, the last notes and the theme.
void ResetSoundState();
