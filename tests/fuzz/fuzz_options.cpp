// The options reader on any text: values stay within the ranges the state chunk accepts.
#include <cstdlib>
#include <string>

#include "presets/options_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EffectOptions options = DefaultOptions();
    TokenReader reader(std::string(reinterpret_cast<const char*>(data), size));
    ReadOptions(reader, options);
    const float* values = &options.dspSave;
    for (int i = 0; i < 18; ++i) {
        if (!(values[i] >= 0.0f && values[i] <= 10.0f)) std::abort();
    }
    std::string out;
    WriteOptions(out, options);
    return 0;
}
