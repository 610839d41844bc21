#include <SDL.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/sound/mix.h"
#include "platform/sound/sound.h"
#include "platform/sound/synth_internal.h"

namespace platform::sound {
namespace {

constexpr int kRate = 44100;

bool Readable(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

class DeviceOutput : public Output {
public:
    ~DeviceOutput() override {
        CloseMidiFile();
        if (device_) SDL_CloseAudioDevice(device_);
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
        if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    int MidiOutDeviceCount() override { return Start() && synth_ ? 1 : 0; }
    bool OpenMidiOut() override { return MidiOutDeviceCount() > 0; }
    void ShortMessage(std::uint32_t message) override {
        if (synth_) SendShortMessage(synth_, message);
    }
    void ResetMidiOut() override {
        if (synth_) fluid_synth_system_reset(synth_);
    }
    void CloseMidiOut() override {}  // the synthesizer stays for the audio output

    int OpenMidiFile(const std::string& path) override {
        CloseMidiFile();
        if (!Readable(path)) return kMediaFileNotFound;
        if (!fluid_is_midifile(path.c_str())) return kMediaBadFile;
        if (!Start() || !synth_) return kMediaNoDevice;
        fluid_player_t* player = new_fluid_player(synth_);
        if (!player) return kMediaNoDevice;
        if (fluid_player_add(player, path.c_str()) != FLUID_OK) {
            delete_fluid_player(player);
            return kMediaBadFile;
        }
        player_ = player;
        return kMediaOk;
    }
    // Files always play through the one synthesizer.
    SequencerPort MidiFilePort() override { return player_ ? SequencerPort::kMapper : SequencerPort::kQueryFailed; }
    int PlayMidiFile(std::function<void()> done) override {
        if (!player_) return kMediaNoDevice;
        if (fluid_player_play(player_) != FLUID_OK) return kMediaPlayFailed;
        done_ = std::move(done);
        return kMediaOk;
    }
    void CloseMidiFile() override {
        done_ = nullptr;
        if (!player_) return;
        fluid_player_stop(player_);
        // The audio thread drives the player; it must not run while the player goes.
        SDL_LockAudioDevice(device_);
        delete_fluid_player(player_);
        player_ = nullptr;
        fluid_synth_all_notes_off(synth_, -1);
        SDL_UnlockAudioDevice(device_);
    }

    bool PlayWave(const std::string& path, WaveMode mode) override {
        StopWave();
        if (!Start()) return Readable(path);
        std::vector<std::int16_t> samples;
        if (!LoadWave(path, samples)) return false;
        SDL_LockAudioDevice(device_);
        wave_ = std::move(samples);
        wavePos_ = 0;
        waveLoops_ = mode == WaveMode::kLoop;
        SDL_UnlockAudioDevice(device_);
        if (mode == WaveMode::kSync) {
            // A stalled device must not hold the program longer than the wave and a margin.
            const Uint64 deadline = SDL_GetTicks64() + wave_.size() * 1000 / (2 * kRate) + 2000;
            while (SDL_GetTicks64() < deadline) {
                SDL_LockAudioDevice(device_);
                const bool playing = wavePos_ < wave_.size();
                SDL_UnlockAudioDevice(device_);
                if (!playing) break;
                SDL_Delay(10);
            }
        }
        return true;
    }
    void StopWave() override {
        if (!device_) return;
        SDL_LockAudioDevice(device_);
        wave_.clear();
        wavePos_ = 0;
        waveLoops_ = false;
        SDL_UnlockAudioDevice(device_);
    }

    void DeliverNotices() override {
        if (player_ && done_ && fluid_player_get_status(player_) == FLUID_PLAYER_DONE) {
            auto done = std::move(done_);
            done_ = nullptr;
            done();
        }
    }

private:
    // Opens the audio device once; false (silent) when there is none.
    bool Start() {
        if (tried_) return device_ != 0;
        tried_ = true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        sdlStarted_ = true;
        SDL_AudioSpec want{};
        want.freq = kRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &DeviceOutput::Callback;
        want.userdata = this;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &spec_, 0);
        if (!device_) return false;
        synth_ = NewFluidSynth(FindSoundFont(), kRate, &settings_);
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    bool LoadWave(const std::string& path, std::vector<std::int16_t>& out) {
        SDL_AudioSpec spec{};
        Uint8* buf = nullptr;
        Uint32 len = 0;
        if (!Readable(path) || !SDL_LoadWAV(path.c_str(), &spec, &buf, &len)) return false;
        SDL_AudioCVT cvt{};
        bool ok = SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 2, kRate) >= 0;
        if (ok) {
            std::vector<Uint8> work(static_cast<std::size_t>(len) * static_cast<std::size_t>(std::max(cvt.len_mult, 1)));
            std::copy(buf, buf + len, work.begin());
            cvt.buf = work.data();
            cvt.len = static_cast<int>(len);
            ok = cvt.needed == 0 || SDL_ConvertAudio(&cvt) == 0;
            const std::size_t bytes = cvt.needed ? static_cast<std::size_t>(cvt.len_cvt) : len;
            if (ok) {
                out.resize(bytes / sizeof(std::int16_t));
                std::copy_n(work.data(), out.size() * sizeof(std::int16_t), reinterpret_cast<Uint8*>(out.data()));
            }
        }
        SDL_FreeWAV(buf);
        return ok;
    }

    static void Callback(void* self, Uint8* stream, int len) { static_cast<DeviceOutput*>(self)->Fill(stream, len); }

    void Fill(Uint8* stream, int len) {
        auto* out = reinterpret_cast<std::int16_t*>(stream);
        const int count = len / static_cast<int>(sizeof(std::int16_t));
        std::fill_n(out, count, std::int16_t{0});
        if (synth_) fluid_synth_write_s16(synth_, count / 2, out, 0, 2, out, 1, 2);
        MixWave(out, count, wave_, wavePos_, waveLoops_);
    }

    bool tried_ = false;
    bool sdlStarted_ = false;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_{};
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;
    std::function<void()> done_;
    // Guarded by the device lock.
    std::vector<std::int16_t> wave_;
    std::size_t wavePos_ = 0;
    bool waveLoops_ = false;
};

std::unique_ptr<Output>& Slot() {
    static std::unique_ptr<Output> output;
    return output;
}

}  // namespace

std::unique_ptr<Output> MakeDeviceOutput() { return std::make_unique<DeviceOutput>(); }

Output& CurrentOutput() {
    auto& slot = Slot();
    if (!slot) slot = MakeDeviceOutput();
    slot->DeliverNotices();
    return *slot;
}

void SetOutput(std::unique_ptr<Output> output) { Slot() = std::move(output); }

std::string FindSoundFont() {
    if (const char* env = std::getenv("KESTRUNE_SOUNDFONT"); env && *env) return Readable(env) ? env : "";
    for (const char* path : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                             "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3"})
        if (Readable(path)) return path;
    return "";
}

}  // namespace platform::sound
