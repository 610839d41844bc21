#pragma once
// Adding a wave into the output buffer, apart from the device so tests can see it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::sound {

// Adds wave from pos into out with saturation; a looping wave starts again at its end.
inline void MixWave(std::int16_t* out, int count, const std::vector<std::int16_t>& wave, std::size_t& pos,
                    bool loops) {
    for (int i = 0; i < count && !wave.empty(); ++i) {
        if (pos >= wave.size()) {
            if (!loops) break;
            pos = 0;
        }
        const int mixed = out[i] + wave[pos++];
        out[i] = static_cast<std::int16_t>(std::clamp(mixed, -32768, 32767));
    }
}

}  // namespace platform::sound
