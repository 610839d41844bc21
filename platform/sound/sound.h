#pragma once
// One audio output for MIDI notes, MIDI files and wave files. Without an
// audio device or a sound font everything is silent; nothing here fails loudly.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform::sound {

// Error numbers of the MIDI-file sequencer; 0 is success.
enum MediaError : int {
    kMediaOk = 0,
    kMediaFileNotFound = 275,
    kMediaBadFile = 277,
    kMediaNoDevice = 263,
    kMediaPlayFailed = 279,
};

enum class SequencerPort { kMapper, kOther, kQueryFailed };
enum class WaveMode { kSync, kAsync, kLoop };

// Where every sound call goes: the device output, or a recording sink in tests.
class Output {
public:
    virtual ~Output() = default;

    virtual int MidiOutDeviceCount() = 0;
    virtual bool OpenMidiOut() = 0;
    // status + (data1 << 8) + (data2 << 16)
    virtual void ShortMessage(std::uint32_t message) = 0;
    virtual void ResetMidiOut() = 0;
    virtual void CloseMidiOut() = 0;

    // One MIDI file at a time; done runs on the UI thread after the file ends.
    virtual int OpenMidiFile(const std::string& path) = 0;
    virtual SequencerPort MidiFilePort() = 0;
    virtual int PlayMidiFile(std::function<void()> done) = 0;
    virtual void CloseMidiFile() = 0;

    // False when the file is missing or unreadable; then nothing plays.
    virtual bool PlayWave(const std::string& path, WaveMode mode) = 0;
    virtual void StopWave() = 0;

    // Runs notices the audio thread left for the UI thread.
    virtual void DeliverNotices() {}
};

// The output in use; the device output is made on first use.
Output& CurrentOutput();
// Replaces the output; nullptr goes back to the device output.
void SetOutput(std::unique_ptr<Output> output);

// SDL audio with FluidSynth; silent when no device or sound font is found.
std::unique_ptr<Output> MakeDeviceOutput();

// The General MIDI sound font to load: $KESTRUNE_SOUNDFONT, else the first of
// Debian's that exists; empty when there is none.
std::string FindSoundFont();

// A synthesizer rendering into memory, without any audio device.
class Synthesizer {
public:
    // nullptr when the sound font does not load.
    static std::unique_ptr<Synthesizer> Create(const std::string& soundFont, int sampleRate);
    virtual ~Synthesizer() = default;
    virtual void ShortMessage(std::uint32_t message) = 0;
    virtual void Reset() = 0;
    // Interleaved stereo, frames * 2 samples.
    virtual void Render(std::int16_t* out, int frames) = 0;
};

}  // namespace platform::sound
