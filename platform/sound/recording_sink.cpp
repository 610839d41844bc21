#include "platform/sound/recording_sink.h"

namespace platform::sound {

bool RecordingSink::OpenMidiOut() {
    calls.push_back({SoundCall::kOpenMidiOut});
    return openSucceeds;
}
void RecordingSink::ShortMessage(std::uint32_t message) { calls.push_back({SoundCall::kShortMessage, message}); }
void RecordingSink::ResetMidiOut() { calls.push_back({SoundCall::kResetMidiOut}); }
void RecordingSink::CloseMidiOut() { calls.push_back({SoundCall::kCloseMidiOut}); }

int RecordingSink::OpenMidiFile(const std::string& path) {
    calls.push_back({SoundCall::kOpenMidiFile, 0, path});
    return openFileError;
}
int RecordingSink::PlayMidiFile(std::function<void()> done) {
    calls.push_back({SoundCall::kPlayMidiFile});
    if (playFileError == kMediaOk) fileDone = std::move(done);
    return playFileError;
}
void RecordingSink::CloseMidiFile() {
    calls.push_back({SoundCall::kCloseMidiFile});
    fileDone = nullptr;
}

bool RecordingSink::PlayWave(const std::string& path, WaveMode mode) {
    calls.push_back({SoundCall::kPlayWave, 0, path, mode});
    return waveExists;
}
void RecordingSink::StopWave() { calls.push_back({SoundCall::kStopWave}); }

std::vector<std::uint32_t> RecordingSink::Messages() const {
    std::vector<std::uint32_t> out;
    for (const auto& c : calls)
        if (c.kind == SoundCall::kShortMessage) out.push_back(c.message);
    return out;
}

}  // namespace platform::sound
