// Stable two-channel sections for the kernel tests.
#pragma once

#include "dsp/section_kernels.h"

#include <cmath>
#include <random>
#include <vector>

namespace TestStages {

// Stable sections with states from an earlier signal, different on each channel; every other one
// with an output gain.
inline std::vector<SectionKernels::Stage> randomStages(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<SectionKernels::Stage> stages(static_cast<size_t>(count));
    for (int s = 0; s < count; ++s) {
        SectionKernels::Stage& st = stages[static_cast<size_t>(s)];
        for (int ch = 0; ch < 2; ++ch) {
            const double r = 0.5 + 0.45 * (u(rng) + 1.0) / 2.0, w = 3.0 * (u(rng) + 1.0) / 2.0;
            st.a1[ch] = -2.0 * r * std::cos(w);
            st.a2[ch] = r * r;
            st.b0[ch] = 1.0 + 0.3 * u(rng);
            st.b1[ch] = u(rng);
            st.b2[ch] = 0.5 * u(rng);
            st.x1[ch] = u(rng), st.x2[ch] = u(rng), st.y1[ch] = u(rng), st.y2[ch] = u(rng);
            st.gain[ch] = s % 2 ? 1.0f : 1.0f + 0.01f * static_cast<float>(u(rng));
        }
    }
    return stages;
}

}  // namespace TestStages
