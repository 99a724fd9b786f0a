// tovin_snapshot: builds an effect, opens its editor without a window, optionally sets parameters and
// shows panels, and writes what the editor shows to a PNG.
//   tovin_snapshot [--param INDEX=VALUE]... [--show PANEL]... [--install-dir DIR] --output FILE.png
// PANEL: help, info, about, side-lr, side-ms, discard-lr, discard-ms, create-new, bank-exists, bank,
// preset, delete-preset, delete-bank, no-rows, no-names, no-clip.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "editor/dravel_edit.h"
#include "editor/editor_tags.h"
#include "effect/dravel.h"
#include "platform/platform.h"
#include "png_writer.h"

namespace {

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    constexpr VstIntPtr kVersion = 2400;
    return opcode == audioMasterVersion ? kVersion : 0;
}

void quietMessage(const char* title, const char* text) { std::fprintf(stderr, "tovin_snapshot: %s: %s\n", title, text); }

int usage() {
    std::fprintf(stderr,
                 "usage: tovin_snapshot [--param INDEX=VALUE]... [--show PANEL]... [--install-dir DIR] --output FILE.png\n");
    return 2;
}

using Panel = DravelEdit::PanelId;
const std::map<std::string, Panel> kPanels{
    {"info", Panel::Info},           {"about", Panel::About},         {"discard-lr", Panel::DiscardLR},
    {"discard-ms", Panel::DiscardMS}, {"create-new", Panel::CreateNew}, {"bank-exists", Panel::BankExists},
    {"bank", Panel::Bank},           {"preset", Panel::Preset},       {"delete-preset", Panel::DeletePreset},
    {"delete-bank", Panel::DeleteBank},
};

}  // namespace

int main(int argc, char** argv) {
    std::string output;
    std::vector<std::pair<int, float>> params;
    std::vector<std::string> shows;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--output" && hasValue) {
            output = argv[++i];
        } else if (arg == "--param" && hasValue) {
            int index = 0;
            float value = 0.0f;
            if (std::sscanf(argv[++i], "%d=%f", &index, &value) != 2) return usage();
            params.emplace_back(index, value);
        } else if (arg == "--show" && hasValue) {
            shows.emplace_back(argv[++i]);
        } else if (arg == "--install-dir" && hasValue) {
            setenv("TOVIN_INSTALL_DIRECTORY", argv[++i], 1);
        } else {
            return usage();
        }
    }
    if (output.empty()) return usage();

    platform::setMessageBoxHandler(quietMessage);
    AEffect* aeffect = CDravel::createEffect(hostCallback);
    if (aeffect == nullptr) {
        std::fprintf(stderr, "tovin_snapshot: the effect could not be built\n");
        return 1;
    }
    auto* effect = static_cast<CDravel*>(aeffect->object);
    for (auto [index, value] : params) effect->setParameter(index, value);
    auto* editor = dynamic_cast<DravelEdit*>(effect->getEditor());
    if (editor == nullptr || !editor->open(nullptr)) {
        std::fprintf(stderr, "tovin_snapshot: the editor did not open\n");
        return 1;
    }
    for (const std::string& show : shows) {
        if (show == "side-lr") editor->setChannelMode(1);
        if (show == "side-ms") editor->setChannelMode(2);
        if (show == "no-rows") {
            editor->showElement(editor_tag::kFrequencyRow, false);
            editor->showElement(editor_tag::kQRow, false);
            editor->showElement(editor_tag::kGainRow, false);
        }
        if (show == "no-names") editor->showElement(editor_tag::kNamesRow, false);
        if (show == "no-clip") editor->showElement(editor_tag::kClipLamp, false);
        if (auto it = kPanels.find(show); it != kPanels.end()) editor->showPanel(it->second);
        if (show == "help") editor->showPanel(Panel::Help);
    }
    editor->idle();
    editor->getFrame()->renderAll();
    const bool written = writePng(output, editor->getFrame()->pixels());
    editor->close();
    aeffect->dispatcher(aeffect, effClose, 0, 0, nullptr, 0.0f);
    if (!written) {
        std::fprintf(stderr, "tovin_snapshot: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("%s\n", output.c_str());
    return 0;
}
