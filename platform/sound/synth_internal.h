#pragma once
// FluidSynth helpers shared by the synthesizer and the device output.
#include <fluidsynth.h>

#include <cstdint>
#include <string>

namespace platform::sound {

void SendShortMessage(fluid_synth_t* synth, std::uint32_t message);
// A synthesizer with the sound font loaded; nullptr when it does not load.
fluid_synth_t* NewFluidSynth(const std::string& soundFont, int sampleRate, fluid_settings_t** settingsOut);

}  // namespace platform::sound
