#include "app/sound.h"

#include <cmath>

#include "core/helpers.h"
#include "platform/sound/sound.h"
#include "platform/sys/files.h"
#include "platform/ui/app.h"
#include "platform/ui/window.h"

namespace snd = platform::sound;

snd::Output* gMidiOut = nullptr;

namespace {

constexpr int kVoiceCount = 3;
constexpr int kChannelTables[2][kVoiceCount] = {{0, 9, 1}, {12, 15, 13}};
constexpr std::uint32_t kProgramChange = 0xC0, kControlChange = 0xB0, kNoteOn = 0x90, kNoteOff = 0x80;
constexpr int kVolumeController = 7;

SoundSettings sSettings;
const int* sChannels = nullptr;  // chosen once per run
std::int32_t sLastNote[kVoiceCount] = {};
bool sThemeOpen = false;
platform::ui::Window* sThemeOwner = nullptr;

int Channel(int voice) { return (sChannels ? sChannels : kChannelTables[0])[voice]; }

void Send(std::uint32_t status, int voice, int data1, int data2) {
    if (!gMidiOut) return;
    const auto d1 = static_cast<std::uint32_t>(data1 & 0x7F), d2 = static_cast<std::uint32_t>(data2 & 0x7F);
    gMidiOut->ShortMessage(status + static_cast<std::uint32_t>(Channel(voice)) + (d1 << 8) + (d2 << 16));
}

// trunc(x) into lo..hi: above hi gives hi, below lo gives under.
int TruncClamped(double x, int under, int hi) {
    const double t = std::trunc(x);
    if (t >= hi + 1) return hi;
    if (t < 0) return under;
    return static_cast<int>(t);
}

// Current folder first, then the program folder; names match case-insensitively.
std::string DataPath(const char* name) {
    if (auto found = platform::FindPath(name)) return *found;
    if (auto found = platform::FindPath(JoinPathString(platform::ProgramDir(), name))) return *found;
    return platform::NativePath(name);
}

bool IsLiveMainWindow(platform::ui::Window* w) {
    auto* app = platform::ui::Application::Instance();
    return w && app && static_cast<platform::ui::Window*>(app->mainWindow()) == w;
}

}  // namespace

void TakeSoundSettings(const SoundSettings& settings) { sSettings = settings; }

void ResetSoundState() {
    gMidiOut = nullptr;
    sChannels = nullptr;
    for (auto& n : sLastNote) n = 0;
    sThemeOpen = false;
    sThemeOwner = nullptr;
}

int OpenMidiOut() {
    if (gMidiOut) return 0;
    if (!sChannels) sChannels = kChannelTables[sSettings.baseLevelMidi ? 1 : 0];
    snd::Output& out = snd::CurrentOutput();
    if (out.MidiOutDeviceCount() <= 0) return 1;
    if (!out.OpenMidiOut()) return 2;
    gMidiOut = &out;
    Send(kProgramChange, 0, sSettings.instrument, 0);
    Send(kProgramChange, 1, 0, 0);
    Send(kProgramChange, 2, 18, 0);
    return 0;
}

void CloseMidiOut() {
    if (!gMidiOut) return;
    AllNotesOff();
    gMidiOut->ResetMidiOut();
    gMidiOut->CloseMidiOut();
    gMidiOut = nullptr;
}

void AllNotesOff() {
    if (!gMidiOut) return;
    for (int v = 0; v < kVoiceCount; ++v) Send(kNoteOff, v, sLastNote[v], 64);
}

void PlayNote(int voice, int note, int velocity) {
    if (voice < 0 || voice >= kVoiceCount) return;
    Send(kNoteOff, voice, sLastNote[voice], velocity);
    Send(kNoteOn, voice, note, velocity);
    sLastNote[voice] = note;
}

void PlayEarthquakeTone(double m) {
    if (std::isnan(m)) m = 0;
    Send(kControlChange, 0, kVolumeController, TruncClamped(m * m * sSettings.volume, 1, 127));
    PlayNote(0, TruncClamped(sSettings.magnitude0Note - m * sSettings.noteStepPerMagnitude, 0, 127), 127);
}

void PlayEruptionTone(double size) {
    Send(kControlChange, 1, kVolumeController, 127);
    const int n = std::isnan(size) ? 1 : TruncClamped(size, 1, 7);
    PlayNote(1, sSettings.eruptionNotes[n < 1 ? 1 : n], 127);
}

void PlayClick() {
    OpenMidiOut();
    Send(kControlChange, 1, kVolumeController, 90);
    Send(kProgramChange, 1, 0, 0);
    PlayNote(1, sSettings.clickNote, 127);
}

void PlaySiren() { snd::CurrentOutput().PlayWave(DataPath("SIREN.VOC"), snd::WaveMode::kLoop); }

void StopWaveSound() { snd::CurrentOutput().StopWave(); }

int PlayMidiFile(platform::ui::Window* owner, const char* name) {
    DebugLog("PlayMidiFile %s", name);
    snd::Output& out = snd::CurrentOutput();
    if (const int error = out.OpenMidiFile(DataPath(name))) return error;
    sThemeOpen = true;
    const snd::SequencerPort port = out.MidiFilePort();
    if (port == snd::SequencerPort::kOther) return 0;
    int error = snd::kMediaNoDevice;
    if (port == snd::SequencerPort::kMapper) {
        sThemeOwner = owner;
        error = out.PlayMidiFile([] {
            // The owner may be gone by the time the file ends.
            if (IsLiveMainWindow(sThemeOwner)) sThemeOwner->PostMessage(kMmMciNotify, kMciNotifySuccessful, 0);
        });
        if (error == 0) return 0;
    }
    out.CloseMidiFile();
    sThemeOpen = false;
    sThemeOwner = nullptr;
    return error;
}

void CloseMidiFile() {
    sThemeOwner = nullptr;
    if (sThemeOpen) snd::CurrentOutput().CloseMidiFile();
    sThemeOpen = false;
}
