#pragma once
// A sound output for tests: records every call, plays nothing, needs no device.
#include <string>
#include <utility>
#include <vector>

#include "platform/sound/sound.h"

namespace platform::sound {

struct SoundCall {
    enum Kind {
        kOpenMidiOut, kShortMessage, kResetMidiOut, kCloseMidiOut,
        kOpenMidiFile, kPlayMidiFile, kCloseMidiFile, kPlayWave, kStopWave,
    };
    SoundCall(Kind k, std::uint32_t m = 0, std::string p = {}, WaveMode w = WaveMode::kAsync)
        : kind(k), message(m), path(std::move(p)), mode(w) {}
    Kind kind;
    std::uint32_t message;  // short messages
    std::string path;       // files
    WaveMode mode;          // waves
    bool operator==(const SoundCall&) const = default;
};

class RecordingSink : public Output {
public:
    // What the sink answers; change before the calls.
    int deviceCount = 1;
    bool openSucceeds = true;
    int openFileError = kMediaOk;
    SequencerPort port = SequencerPort::kMapper;
    int playFileError = kMediaOk;
    bool waveExists = true;

    std::vector<SoundCall> calls;
    std::function<void()> fileDone;  // the notice PlayMidiFile was given

    int MidiOutDeviceCount() override { return deviceCount; }
    bool OpenMidiOut() override;
    void ShortMessage(std::uint32_t message) override;
    void ResetMidiOut() override;
    void CloseMidiOut() override;
    int OpenMidiFile(const std::string& path) override;
    SequencerPort MidiFilePort() override { return port; }
    int PlayMidiFile(std::function<void()> done) override;
    void CloseMidiFile() override;
    bool PlayWave(const std::string& path, WaveMode mode) override;
    void StopWave() override;

    // Only the short messages, in order.
    std::vector<std::uint32_t> Messages() const;
};

}  // namespace platform::sound
