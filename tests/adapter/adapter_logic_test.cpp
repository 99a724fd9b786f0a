// The adapter linked in and given the recording effect: what it sends the effect for the host's
// controls, bypass, MIDI, chunks, keys and editor events, and how it answers the effect's callbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "adapter/key_mapping.h"
#include "adapter/library_path.h"
#include "adapter/wrapper_process.h"
#include "hostlib/effect_type.h"
#include "hostlib/host_services.h"
#include "recording_effect.h"

namespace {

using adapter::CVelastroWrapperProcessRTAS;
using recording::callHost;
using recording::current;

struct Services {
    std::vector<std::string> messages;
    double tempo = 0.0;
    uint32_t tick = 1;
    std::vector<std::pair<int32_t, int32_t>> events;  // kind, control
};
Services services;

PIHostServices table() {
    PIHostServices result{};
    result.structSize = sizeof(result);
    result.showMessage = [](void*, const char*, const char* text) { services.messages.push_back(text); };
    result.currentTempo = [](void*) { return services.tempo; };
    result.hostTick = [](void*) { return services.tick; };
    result.controlEvent = [](void*, PIInstance*, int32_t kind, int32_t control, int32_t) {
        services.events.emplace_back(kind, control);
    };
    return result;
}

class AdapterLogic : public ::testing::Test {
protected:
    void SetUp() override {
        services = Services{};
        const PIHostServices given = table();
        hostlib::SetHostServices(&given);
    }
    void TearDown() override {
        process.reset();
        hostlib::SetHostServices(nullptr);
    }
    CVelastroWrapperProcessRTAS& make(hostlib::StemFormat format = hostlib::StemFormat::Stereo,
                                      adapter::EffectEntry entry = recording::entry) {
        type = std::make_unique<hostlib::CEffectTypeRTAS>(hostlib::fourCC('S', 't', 'e', 'r'), 0);
        type->DefineStemFormats(format, format);
        process = std::make_unique<CVelastroWrapperProcessRTAS>(entry);
        process->AttachType(type.get());
        EXPECT_EQ(process->Initialize(), 0);
        return *process;
    }
    double continuous(int32_t control) { return process->GetControl(control)->GetContinuousValue(); }
    void setContinuous(int32_t control, double value) {
        ASSERT_EQ(process->SetControlValue(control, process->GetControl(control)->ConvertContinuousToControl(value)), 0);
    }

    std::unique_ptr<hostlib::CEffectTypeRTAS> type;
    std::unique_ptr<CVelastroWrapperProcessRTAS> process;
};

TEST_F(AdapterLogic, OpensTheEffectAndBuildsControlsFromItsProperties) {
    auto& p = make();
    const auto& calls = current().calls;
    ASSERT_GE(calls.size(), 2u);
    EXPECT_NE(current().last(effOpen), nullptr);
    const recording::Call* mains = current().last(effMainsChanged);
    ASSERT_NE(mains, nullptr);
    EXPECT_EQ(mains->value, 1);
    EXPECT_NE(current().effect.user, nullptr);
    // The bypass, parameters 0 to 2; parameter 3 cannot be automated and has no control.
    ASSERT_EQ(p.GetNumControls(), 4);
    EXPECT_EQ(p.GetControl(2)->GetName(), "Level A\nLevA    ");
    EXPECT_EQ(p.GetControl(2)->kind(), kPIControlLinear);
    EXPECT_EQ(p.GetControl(3)->GetName(), "Level B");
    EXPECT_EQ(p.GetControl(4)->kind(), kPIControlOnOff);
    EXPECT_EQ(p.controlOfParameter(3), 0);
    EXPECT_NEAR(continuous(2), 0.1, 1e-7);
    EXPECT_NEAR(continuous(3), 0.2, 1e-7);
    EXPECT_TRUE(current().setParameters.empty());
}

TEST_F(AdapterLogic, AnswersTheEffectsCallbacks) {
    auto& p = make();
    EXPECT_EQ(adapter::HostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 7);
    EXPECT_EQ(callHost(audioMasterCurrentId), fourCharCode('A', 'A', 'S', 'H'));
    char vendor[64] = {};
    EXPECT_EQ(callHost(audioMasterGetVendorString, 0, 0, vendor), 0);
    EXPECT_STREQ(vendor, "Corvane Rtas Wrapper");
    EXPECT_EQ(callHost(audioMasterSizeWindow, 700, 300), 0);
    EXPECT_EQ(callHost(audioMasterIdle), 0);
    AEffect stranger{};
    EXPECT_EQ(adapter::HostCallback(&stranger, audioMasterAutomate, 0, 0, nullptr, 0.5f), 0) << "no user field";

    ASSERT_EQ(p.SetSampleRate(48000.7), 0);
    services.tempo = 120.7;
    auto* time = reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime));
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->sampleRate, 48000.0);
    EXPECT_EQ(time->tempo, 120.0);
    EXPECT_EQ(time->flags, kVstTempoValid);
    services.tempo = 0.0;
    time = reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime));
    EXPECT_EQ(time->tempo, 0.0);
    EXPECT_EQ(time->flags, 0);
    services.tempo = 0.5;  // truncated to 0: no tempo
    EXPECT_EQ(reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime))->flags, 0);

    current().calls.clear();
    EXPECT_EQ(callHost(audioMasterGetSampleRate), 0);
    const recording::Call* rate = current().last(effSetSampleRate);
    ASSERT_NE(rate, nullptr);
    EXPECT_FLOAT_EQ(rate->opt, 48000.7f);
}

TEST_F(AdapterLogic, EffectChangesReachTheControlsWithoutComingBack) {
    auto& p = make();
    callHost(audioMasterAutomate, 0, 0, nullptr, 0.3f);
    EXPECT_NEAR(continuous(2), 0.3, 1e-7) << "parameter 0 is control 2";
    ASSERT_EQ(services.events.size(), 1u);
    EXPECT_EQ(services.events[0], std::make_pair(int32_t{kPIControlSet}, int32_t{2}));
    EXPECT_TRUE(current().setParameters.empty()) << "the effect's own change is not set on it again";
    // Indexes without a control.
    for (VstInt32 index : {3, 4, 99, -1}) callHost(audioMasterAutomate, index, 0, nullptr, 0.9f);
    callHost(audioMasterBeginEdit, 1);
    callHost(audioMasterEndEdit, 1);
    callHost(audioMasterBeginEdit, 50);
    callHost(audioMasterEndEdit, -3);
    ASSERT_EQ(services.events.size(), 3u);
    EXPECT_EQ(services.events[1], std::make_pair(int32_t{kPIControlTouch}, int32_t{3}));
    EXPECT_EQ(services.events[2], std::make_pair(int32_t{kPIControlRelease}, int32_t{3}));

    current().parameters[1] = 0.8f;
    current().parameters[2] = 1.0f;
    callHost(audioMasterUpdateDisplay);
    EXPECT_NEAR(continuous(3), 0.8, 1e-7);
    EXPECT_EQ(continuous(4), 1.0);
    EXPECT_TRUE(current().setParameters.empty());

    // The host's moves reach the effect once each.
    setContinuous(2, 0.25);
    setContinuous(4, 0.0);
    ASSERT_EQ(current().setParameters.size(), 2u);
    EXPECT_EQ(current().setParameters[0], std::make_pair(VstInt32{0}, 0.25f));
    EXPECT_EQ(current().setParameters[1], std::make_pair(VstInt32{2}, 0.0f));
    EXPECT_EQ(p.GetNumControls(), 4);
}

TEST_F(AdapterLogic, BypassCopiesTheInputAndSendsAllNotesOff) {
    auto& p = make();
    std::vector<float> left(64, 0.25f), right(64, -0.5f), outLeft(64), outRight(64);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    setContinuous(1, 1.0);
    const recording::Call* bypass = current().last(effSetBypass);
    ASSERT_NE(bypass, nullptr);
    EXPECT_EQ(bypass->value, 1);
    p.GetMIDINode()->Push({5, {0x90, 60, 100}});
    p.RenderAudio(in, out, 64);
    EXPECT_EQ(current().processCalls, 0);
    EXPECT_EQ(outLeft, left);
    EXPECT_EQ(outRight, right);
    ASSERT_EQ(current().midi.size(), 1u);
    ASSERT_EQ(current().midi[0].events.size(), 1u);
    const VstMidiEvent& off = current().midi[0].events[0];
    EXPECT_EQ(off.type, kVstMidiType);
    EXPECT_EQ(off.byteSize, 24);
    EXPECT_EQ(off.deltaFrames, 0);
    EXPECT_EQ(static_cast<unsigned char>(off.midiData[0]), 0xB0);
    EXPECT_EQ(off.midiData[1], 123);
    EXPECT_EQ(off.midiData[2], 0);

    setContinuous(1, 0.0);
    EXPECT_EQ(current().last(effSetBypass)->value, 0);
    p.GetMIDINode()->Push({7, {0x80, 61, 0}});
    p.RenderAudio(in, out, 64);
    EXPECT_EQ(current().processCalls, 1);
    ASSERT_EQ(current().midi.size(), 2u);
    ASSERT_EQ(current().midi[1].events.size(), 1u) << "the event held back during bypass is gone";
    EXPECT_EQ(current().midi[1].events[0].deltaFrames, 7);
    EXPECT_EQ(current().midi[1].events[0].midiData[1], 61);
    EXPECT_EQ(outLeft[0], 0.125f);
}

TEST_F(AdapterLogic, ChannelsTheHostDoesNotSupplyGoToScratch) {
    auto& mono = make(hostlib::StemFormat::Mono);
    std::vector<float> left(hostlib::kMaxRenderFrames, 1.0f), outLeft(hostlib::kMaxRenderFrames);
    float* in[2] = {left.data(), nullptr};
    float* out[2] = {outLeft.data(), nullptr};
    mono.RenderAudio(in, out, hostlib::kMaxRenderFrames);
    EXPECT_TRUE(current().secondInputNull);
    ASSERT_NE(current().outputs[1], nullptr);
    EXPECT_NE(current().outputs[1], outLeft.data());
    EXPECT_EQ(outLeft.back(), 0.5f);

    // A stereo instance given one input and one output.
    auto& stereo = make(hostlib::StemFormat::Stereo);
    stereo.RenderAudio(in, out, 256);
    EXPECT_TRUE(current().secondInputNull) << "a mono source";
    EXPECT_NE(current().outputs[1], nullptr);
    // No first input: the effect hears silence.
    float* noInput[2] = {nullptr, nullptr};
    stereo.RenderAudio(noInput, out, 256);
    EXPECT_EQ(outLeft[0], 0.0f);
}

std::vector<unsigned char> withStoredSize(const std::vector<char>& data, int32_t stored, size_t handed) {
    std::vector<unsigned char> chunk(std::max(handed, hostlib::kChunkHeaderSize + data.size()), 0xAB);
    std::memset(chunk.data(), 0, hostlib::kChunkHeaderSize);
    std::memcpy(chunk.data() + hostlib::kChunkHeaderSize, data.data(), data.size());
    chunk.resize(handed);
    std::memcpy(chunk.data(), &stored, sizeof(stored));
    return chunk;
}

TEST_F(AdapterLogic, ChunksCarryTheStoredSizeAndRefuseWhatDoesNotFit) {
    auto& p = make();
    const int32_t id = p.stateChunkID();
    EXPECT_EQ(id, recording::kUniqueID);
    int32_t size = 0;
    ASSERT_EQ(p.GetChunkSize(id, &size), 0);
    EXPECT_EQ(size, 100 + 56);
    std::vector<unsigned char> saved(static_cast<size_t>(size));
    auto* header = reinterpret_cast<hostlib::ChunkHeader*>(saved.data());
    ASSERT_EQ(p.GetChunk(id, header, size), 0);
    EXPECT_EQ(header->totalSize, 156);
    EXPECT_EQ(std::vector<char>(saved.begin() + 56, saved.end()), current().chunk);
    // The effect's chunk grew since the size was asked: the host's buffer is not overrun.
    current().chunk.assign(200, 'd');
    EXPECT_EQ(p.GetChunk(id, header, size), hostlib::kErrBufferTooSmall);

    const std::vector<char> data(80, 'x');
    auto chunk = withStoredSize(data, 80 + 56, 400);
    ASSERT_EQ(p.SetChunk(id, reinterpret_cast<hostlib::ChunkHeader*>(chunk.data()), 400), 0);
    EXPECT_EQ(current().restored, data) << "the stored size, not the hand-over's or a cached one";
    current().restoreCalled = false;
    for (const auto& [stored, handed] : std::vector<std::pair<int32_t, size_t>>{{200, 150}, {56, 56}, {10, 100}, {-1, 100}}) {
        auto bad = withStoredSize(data, stored, handed);
        EXPECT_EQ(p.SetChunk(id, reinterpret_cast<hostlib::ChunkHeader*>(bad.data()), static_cast<int32_t>(handed)),
                  hostlib::kErrChunkDamaged)
            << stored << " in " << handed;
    }
    EXPECT_FALSE(current().restoreCalled);
}

TEST_F(AdapterLogic, KeysGoToTheEditorAsVirtualKeys) {
    auto& p = make();
    const std::pair<int32_t, int> keys[] = {{'+', 35}, {'-', 37}, {'1', 25}, {'2', 26}, {'3', 27}, {'a', 0}};
    for (const auto& [character, virtualKey] : keys) {
        current().calls.clear();
        EXPECT_EQ(p.HandleKeystroke(hostlib::kKeyDown, character, 4), character == '+');
        p.HandleKeystroke(hostlib::kKeyUp, character, 0);
        ASSERT_EQ(current().calls.size(), 2u);
        EXPECT_EQ(current().calls[0].opcode, effEditKeyDown);
        EXPECT_EQ(current().calls[0].index, character);
        EXPECT_EQ(current().calls[0].value, virtualKey);
        EXPECT_EQ(current().calls[0].opt, 4.0f);
        EXPECT_EQ(current().calls[1].opcode, effEditKeyUp);
    }
    current().calls.clear();
    EXPECT_FALSE(p.HandleKeystroke(5, '+', 0));
    EXPECT_TRUE(current().calls.empty());

    // Idle reaches the editor when the host's tick moved (the first tick is new).
    p.DoIdle();
    p.DoIdle();
    EXPECT_EQ(current().count(effEditIdle), 1u);
    services.tick = 2;
    p.DoIdle();
    EXPECT_EQ(current().count(effEditIdle), 2u);
}

TEST_F(AdapterLogic, EditorGetsEditorCoordinatesAndClosesBeforeItsWindowGoes) {
    auto& p = make();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "AdapterLogicHost";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, "AdapterLogicHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    ASSERT_EQ(p.SetViewPort(host), 0);
    ASSERT_NE(current().editorWindow, nullptr);
    EXPECT_EQ(GetParent(current().editorWindow), host);
    const int x0 = 80;
    const int y0 = 400 - 267;

    current().calls.clear();
    EXPECT_TRUE(p.MouseDown(x0 + 10, y0 + 20));
    EXPECT_FALSE(p.MouseDown(x0 + 10, y0 - 1));
    EXPECT_FALSE(p.MouseDown(x0 + 640, y0 + 20));
    ASSERT_EQ(current().count(-2), 1u);
    EXPECT_EQ(current().calls[0].index, 10);
    EXPECT_EQ(current().calls[0].value, 20);

    current().calls.clear();
    const PIRect16 rect{static_cast<int16_t>(y0 - 10), static_cast<int16_t>(x0 + 5), static_cast<int16_t>(y0 + 50),
                        static_cast<int16_t>(x0 + 100)};
    ASSERT_EQ(p.Draw(&rect), 0);
    const PIRect16 beside{0, 0, 20, 20};
    ASSERT_EQ(p.Draw(&beside), 0);
    ASSERT_EQ(p.Draw(nullptr), 0);
    EXPECT_EQ(current().count(-1), 2u) << "nothing to draw beside the editor";

    current().calls.clear();
    const HWND child = current().editorWindow;
    ASSERT_EQ(p.SetViewPort(nullptr), 0);
    ASSERT_GE(current().calls.size(), 2u);
    EXPECT_EQ(current().calls[0].opcode, effEditKeyDown);
    EXPECT_EQ(current().calls[0].index, '2');
    EXPECT_EQ(current().calls[0].value, 26);
    const recording::Call* close = current().last(effEditClose);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->editorWindowAlive) << "the editor closes while its window exists";
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(adapter::VstInterface::openWindowCount(), 0);
    DestroyWindow(host);
}

TEST_F(AdapterLogic, ClosedInterfaceAnswersNeutrally) {
    auto& p = make();
    adapter::VstInterface& vst = p.vst();
    ASSERT_TRUE(vst.loaded());
    vst.close();
    EXPECT_EQ(current().count(effClose), 1u);
    const size_t calls = current().calls.size();
    EXPECT_EQ(vst.dispatch(false, effGetChunk), -1);
    EXPECT_EQ(vst.getParameter(0), 0.0f);
    vst.setParameter(0, 0.5f);
    EXPECT_EQ(vst.numParams(), 0);
    EXPECT_EQ(vst.uniqueID(), 0);
    int width = -1;
    EXPECT_EQ(vst.editorSize(&width, nullptr), 2);
    EXPECT_EQ(vst.editorRect(), nullptr);
    float sample = 1.0f;
    float* channels[2] = {&sample, &sample};
    vst.process(channels, channels, 1);
    vst.sendAllNotesOff();
    vst.close();
    EXPECT_EQ(current().calls.size(), calls);
    EXPECT_EQ(current().processCalls, 0);
    EXPECT_TRUE(current().setParameters.empty());
    EXPECT_EQ(vst.load(nullptr, recording::entry), 1) << "a closed interface stays closed";
}

TEST_F(AdapterLogic, WithoutTheEffectTheDocumentsChunkIsKept) {
    auto& p = make(hostlib::StemFormat::Stereo, recording::failingEntry);
    EXPECT_FALSE(p.effectLoaded());
    EXPECT_EQ(p.GetNumControls(), 0);
    EXPECT_LE(services.messages.size(), 1u);
    const int32_t id = adapter::kEffectUniqueID;
    ASSERT_NE(p.FindChunk(id), nullptr);
    int32_t size = -1;
    ASSERT_EQ(p.GetChunkSize(id, &size), 0);
    EXPECT_EQ(size, 0) << "nothing to save yet";
    auto chunk = withStoredSize(std::vector<char>(30, 'q'), 86, 86);
    ASSERT_EQ(p.SetChunk(id, reinterpret_cast<hostlib::ChunkHeader*>(chunk.data()), 86), 0);
    ASSERT_EQ(p.GetChunkSize(id, &size), 0);
    ASSERT_EQ(size, 86);
    std::vector<unsigned char> saved(86);
    ASSERT_EQ(p.GetChunk(id, reinterpret_cast<hostlib::ChunkHeader*>(saved.data()), 86), 0);
    EXPECT_EQ(saved, chunk);
    // A second instance in the same process: no second message.
    const size_t shown = services.messages.size();
    CVelastroWrapperProcessRTAS another(recording::failingEntry);
    EXPECT_EQ(services.messages.size(), shown);
    EXPECT_EQ(p.SetViewPort(nullptr), 0);
}

TEST(AdapterLibraryPath, BuildsOnePathFromTheRegistrysString) {
    using adapter::LibraryPathFromValue;
    constexpr uint32_t kString = 1, kNumber = 4;
    EXPECT_EQ(LibraryPathFromValue(kString, "C:\\Tovin", 9), "C:\\Tovin\\Tovin.dll");
    EXPECT_EQ(LibraryPathFromValue(kString, "C:\\Tovin\\", 10), "C:\\Tovin\\Tovin.dll");
    EXPECT_EQ(LibraryPathFromValue(kString, "C:\\Tovin", 8), "C:\\Tovin\\Tovin.dll") << "unterminated";
    EXPECT_EQ(LibraryPathFromValue(kString, "C:\\A\0B", 7), "C:\\A\\Tovin.dll");
    EXPECT_FALSE(LibraryPathFromValue(kNumber, "C:\\Tovin", 9));
    EXPECT_FALSE(LibraryPathFromValue(kString, "", 1));
    EXPECT_FALSE(LibraryPathFromValue(kString, "", 0));
    EXPECT_FALSE(LibraryPathFromValue(kString, nullptr, 0));
    const std::string longest(adapter::kMaxLibraryPath - 1 - 10, 'd');  // plus "\Tovin.dll"
    EXPECT_TRUE(LibraryPathFromValue(kString, longest.c_str(), longest.size()));
    const std::string tooLong = longest + "d";
    EXPECT_FALSE(LibraryPathFromValue(kString, tooLong.c_str(), tooLong.size()));
}

}  // namespace
