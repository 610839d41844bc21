#include <fluidsynth.h>

#include "platform/sound/sound.h"
#include "platform/sound/synth_internal.h"

namespace platform::sound {
namespace {

void QuietLog(int, const char*, void*) {}

class FluidSynthesizer : public Synthesizer {
public:
    FluidSynthesizer(fluid_settings_t* settings, fluid_synth_t* synth) : settings_(settings), synth_(synth) {}
    ~FluidSynthesizer() override {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }
    void ShortMessage(std::uint32_t message) override { SendShortMessage(synth_, message); }
    void Reset() override { fluid_synth_system_reset(synth_); }
    void Render(std::int16_t* out, int frames) override {
        fluid_synth_write_s16(synth_, frames, out, 0, 2, out, 1, 2);
    }
    fluid_synth_t* synth() { return synth_; }

private:
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
};

}  // namespace

void SendShortMessage(fluid_synth_t* synth, std::uint32_t message) {
    const int status = static_cast<int>(message & 0xFF);
    const int channel = status & 0x0F;
    const int data1 = static_cast<int>((message >> 8) & 0x7F);
    const int data2 = static_cast<int>((message >> 16) & 0x7F);
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90:
        // Velocity 0 is a note off by the MIDI rule.
        if (data2 == 0) fluid_synth_noteoff(synth, channel, data1);
        else fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
    default: break;  // other messages are not used
    }
}

fluid_synth_t* NewFluidSynth(const std::string& soundFont, int sampleRate, fluid_settings_t** settingsOut) {
    static const bool quiet = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, QuietLog, nullptr);
        return true;
    }();
    (void)quiet;
    if (soundFont.empty()) return nullptr;
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth || fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        if (synth) delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        return nullptr;
    }
    *settingsOut = settings;
    return synth;
}

std::unique_ptr<Synthesizer> Synthesizer::Create(const std::string& soundFont, int sampleRate) {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = NewFluidSynth(soundFont, sampleRate, &settings);
    if (!synth) return nullptr;
    return std::make_unique<FluidSynthesizer>(settings, synth);
}

}  // namespace platform::sound
