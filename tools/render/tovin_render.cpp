// tovin-render: renders an audio file through Tovin without a host. Loads Tovin.so through its
// exported entry as a host does, applies a setting (a saved chunk, a preset by name, a preset file,
// parameters in their own units), streams the file through it into a file of the same format and,
// on request, draws the setting's magnitude response. See UsageText() for the command line.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "effect/parameter_tables.h"
#include "effect/state_chunk.h"
#include "presets/preset_info.h"
#include "presets/record_format.h"
#include "tools/render/audio_render.h"
#include "tools/render/physical_value.h"
#include "tools/render/private_install.h"
#include "tools/render/render_options.h"
#include "tools/render/response_plot.h"
#include "tools/render/setting_response.h"
#include "tools/render/setting_source.h"
#include "tools/render/output_file.h"
#include "tools/vsthost/vst_host.h"

namespace {

using namespace render;

// Silence run through the instance once the setting is applied, so bands that fade or glide in have
// arrived before the first sample of the file (silence in leaves the filters' state at zero).
constexpr double kSettleSeconds = 0.5;

std::atomic<bool> stopRequested{false};
extern "C" void onSignal(int) { stopRequested.store(true); }

int fail(const std::string& message) {
    std::fprintf(stderr, "tovin-render: %s\n", message.c_str());
    return 1;
}

std::string text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

EffectState stateOf(vsthost::Host& host) {
    EffectState state{};
    const std::vector<char> chunk = host.getChunk();
    if (chunk.size() == sizeof(EffectState)) std::memcpy(&state, chunk.data(), sizeof(EffectState));
    return state;
}

void setState(vsthost::Host& host, const EffectState& state) {
    const char* bytes = reinterpret_cast<const char*>(&state);
    host.setChunk(std::vector<char>(bytes, bytes + sizeof(EffectState)));
}

bool writeBytes(const std::string& path, const std::vector<char>& bytes, std::string& error) {
    OutputFile out(path);
    bool ok = out.valid();
    if (ok) {
        std::ofstream file(out.temporaryPath(), std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        ok = file.good();
    }
    if (!ok || !out.commit()) return error = path + ": cannot be written", false;
    return true;
}

bool writeText(const std::string& path, const std::string& content, std::string& error) {
    return writeBytes(path, std::vector<char>(content.begin(), content.end()), error);
}

// The chunk, preset or preset file, pushed into the instance as a host restores a project.
bool applySource(vsthost::Host& host, const RenderOptions& o, const std::string& userDir, std::string& description,
                 std::string& error) {
    if (!o.chunkFile.empty()) {
        std::vector<char> chunk;
        if (!ReadChunkFile(o.chunkFile, chunk, error)) return false;
        host.setChunk(chunk);
        description = "chunk " + o.chunkFile;
        return true;
    }
    std::string settingsPath;
    PresetInfo info{};
    const PresetInfo* infoPointer = nullptr;
    if (!o.presetName.empty()) {
        if (userDir.empty()) return error = "no installation directory to find presets in (give --install-dir)", false;
        StoredPreset preset;
        if (!FindPreset(ListPresets(userDir), o.bankName, o.presetName, preset, error)) {
            error = userDir + ": " + error;
            return false;
        }
        settingsPath = preset.settingsPath;
        info = preset.info;
        infoPointer = &info;
        description = "preset \"" + text(info.presetName, kInfoTextSize) + "\" of bank \"" +
                      text(info.bankName, kInfoTextSize) + "\"";
    } else if (!o.presetFile.empty()) {
        settingsPath = o.presetFile;
        // The information file beside it names the preset and holds its channel mode.
        std::string infoText;
        if (ReadWholeFile(std::filesystem::path(o.presetFile).replace_extension(".inf").string(), infoText)) {
            TokenReader reader(infoText);
            info = DefaultPresetInfo(0);
            while (ParseInfoLine(reader, info) != kInfoLineEnd) {}
            infoPointer = &info;
        }
        description = "preset file " + o.presetFile;
    } else {
        description = "start-up setting";
        return true;
    }
    std::string settingsText;
    if (!ReadWholeFile(settingsPath, settingsText)) return error = settingsPath + ": cannot be read", false;
    if (!HasSettingsRecords(settingsText))
        return error = settingsPath + ": not a preset settings file (no records)", false;
    EffectState state = stateOf(host);
    LoadSettingsText(state, InitialSettingsOf(userDir), settingsText, infoPointer);
    setState(host, state);
    return true;
}

// --set values through the host parameters: type switches first (they choose how the band's other
// values read), then the rest in the order given. A value turns its band and the equalizer on
// unless they are given too, when the options say so ("Auto On Active").
bool applySets(vsthost::Host& host, const RenderOptions& o, std::string& error) {
    std::vector<std::pair<int, std::string>> sets;
    bool explicitOn[param::kNumHostParams] = {};
    for (const auto& [name, value] : o.sets) {
        const int index = ParameterIndex(name);
        if (index < 0) {
            error = "--set " + name + "=" + value + ": no parameter " + name + " (names: HPFreq, B2Gain, B5Type, ... GenOn";
            error += "; see the guide)";
            return false;
        }
        if (param::isSwitch(index)) explicitOn[index] = true;
        sets.emplace_back(index, value);
    }
    std::stable_partition(sets.begin(), sets.end(), [](const auto& s) { return IsTypeSwitch(s.first); });
    const bool autoOn = stateOf(host).options.bandeOnAuto >= 0.5f;
    for (const auto& [index, value] : sets) {
        int band = -1;
        if (param::isContinuous(index)) band = param::kContinuous[static_cast<size_t>(index)].band;
        const int typeIndex = band >= 0 ? param::kBandParams[static_cast<size_t>(band)].type : -1;
        const float bandType = typeIndex >= 0 ? host.getParameter(typeIndex) : 0.0f;
        float normalized = 0.0f;
        if (!NormalizedValue(index, bandType, value, normalized, error)) {
            error = "--set " + error;
            return false;
        }
        host.setParameter(index, normalized);
        if (autoOn && band >= 0) {
            const int on = param::kBandParams[static_cast<size_t>(band)].on;
            if (!explicitOn[on]) host.setParameter(on, 1.0f);
            if (!explicitOn[param::kGenOn]) host.setParameter(param::kGenOn, 1.0f);
        }
    }
    return true;
}

void listPresets(const std::string& directory) {
    const std::vector<StoredPreset> presets = ListPresets(directory);
    std::printf("%zu presets in %s\n", presets.size(), directory.c_str());
    for (const StoredPreset& p : presets)
        std::printf("%5d  %-32s  %s%s\n", p.number, text(p.info.bankName, kInfoTextSize).c_str(),
                    text(p.info.presetName, kInfoTextSize).c_str(), p.info.factory == 1 ? "  (factory)" : "");
}

void describe(const SettingResponse& r, const std::string& source) {
    std::printf("Setting      %s%s\n", source.c_str(), r.generalOn ? "" : " (equalizer off: the output is the input)");
    for (const ChannelResponse& ch : r.channel) {
        std::printf("  %-6s     volume %+.1f dB", ch.name.c_str(), ch.volumeDb);
        for (const BandCurve& b : ch.bands) std::printf("; %s", b.label.c_str());
        std::printf("\n");
    }
}

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

double toDb(double x) { return x > 0.0 ? 20.0 * std::log10(x) : -999.0; }

}  // namespace

int main(int argc, char** argv) {
    RenderOptions o;
    std::string error;
    if (!ParseOptions(argc, argv, o, error)) {
        if (error.empty()) {
            std::fputs(UsageText(), stdout);
            return 0;
        }
        std::fprintf(stderr, "tovin-render: %s\n%s", error.c_str(), UsageText());
        return 2;
    }
    std::error_code fsError;
    if (!o.input.empty() && std::filesystem::exists(o.output, fsError) &&
        std::filesystem::equivalent(o.input, o.output, fsError))
        return fail(o.output + ": is the input file; give another OUTPUT");

    const std::string factory = FactoryBankDirectory();
    std::string userDir = UserInstallDirectory(o.installDir);
    if (!o.installDir.empty() && !std::filesystem::is_directory(o.installDir, fsError))
        return fail(o.installDir + ": no such directory");
    if (userDir.empty()) userDir = factory;  // no installation of the user's: the factory bank, read only
    if (o.listPresets) {
        listPresets(userDir);
        if (o.input.empty() && o.plot.empty() && o.plotData.empty() && o.saveChunk.empty()) return 0;
    }

    int rate = o.rate > 0 ? o.rate : kDefaultPlotRate, channels = 2;
    if (!o.input.empty() && !ProbeAudio(o.input, rate, channels, error)) return fail(error);

    PrivateInstall instanceDir(userDir, factory);
    if (!instanceDir.valid()) return fail("cannot create a temporary installation directory");
    setenv("TOVIN_INSTALL_DIRECTORY", instanceDir.path().c_str(), 1);

    const std::string plugin = PluginPath(o.plugin);
    vsthost::Host host;
    if (!host.load(plugin)) return fail(plugin + ": " + host.error());
    AEffect* effect = host.effect();
    if (effect->numOutputs < 2 || (effect->flags & effFlagsCanReplacing) == 0)
        return fail(plugin + ": the effect has no stereo replacing output");
    host.start(static_cast<float>(rate), o.block);

    std::string source;
    if (!applySource(host, o, userDir, source, error) || !applySets(host, o, error)) return fail(error);
    if (!o.sets.empty()) source += " with " + std::to_string(o.sets.size()) + (o.sets.size() == 1 ? " value set" : " values set");
    const EffectState finalState = stateOf(host);
    const SettingResponse response = ComputeResponse(finalState, rate);
    if (!o.quiet) {
        std::printf("Plug-in      %s\n", plugin.c_str());
        describe(response, source);
    }

    if (!o.saveChunk.empty()) {
        if (!writeBytes(o.saveChunk, host.getChunk(), error)) return fail(error);
        if (!o.quiet) std::printf("Chunk        %s\n", o.saveChunk.c_str());
    }
    if (!o.plotData.empty() && !writeText(o.plotData, ResponseTable(response), error)) return fail(error);
    if (!o.plot.empty()) {
        PlotOptions plot;
        plot.compare = o.compare;
        plot.title = response.presetName.empty() ? "Tovin" : "Tovin: " + response.presetName;
        if (!response.bankName.empty()) plot.title += " (" + response.bankName + ")";
        if (!WriteResponsePlot(response, plot, o.plot, error)) return fail(error);
        if (!o.quiet) std::printf("Plot         %s\n", o.plot.c_str());
    }
    if (o.input.empty()) return 0;

    const std::vector<float> silence(static_cast<size_t>(o.block), 0.0f);
    std::vector<float> sinkL(silence.size()), sinkR(silence.size());
    for (long done = 0; done < static_cast<long>(kSettleSeconds * rate); done += o.block)
        host.processStereo(silence.data(), silence.data(), sinkL.data(), sinkR.data(), o.block);

    // The output always takes the input's format; a different name would mislead whoever opens it.
    if (lowerExtension(o.input) != lowerExtension(o.output))
        std::fprintf(stderr, "tovin-render: note: %s gets the format of %s, whatever its name says\n", o.output.c_str(),
                     o.input.c_str());
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
    AudioJob job{o.input, o.output, o.block, o.progress, &stopRequested};
    const AudioResult result = RenderAudio(host, job);
    host.mainsChanged(false);
    if (!result.ok) return fail(result.error);
    if (!o.quiet) {
        std::printf("Rendered     %s -> %s: %s, %s, %d Hz, %lld frames (%.2f s)\n", o.input.c_str(), o.output.c_str(),
                    result.format.c_str(), result.channels == 1 ? "mono" : "stereo", result.rate, result.frames,
                    static_cast<double>(result.frames) / result.rate);
        std::printf("Peak         in %.1f dBFS, out %.1f dBFS\n", toDb(result.inputPeak), toDb(result.outputPeak));
    }
    if (result.clipped > 0)
        std::fprintf(stderr, "tovin-render: warning: %lld samples beyond full scale were clipped in %s (lower GenVol)\n",
                     result.clipped, o.output.c_str());
    return 0;
}
