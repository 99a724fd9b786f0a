// The VST base classes as a host reaches them: the record's trampolines, the dispatcher split between
// the AudioEffect level (0 to 24) and the AudioEffectX level (25 to 79), the editor's ownership and
// the calls the base classes make to the host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "vst/aeffeditor.h"
#include "vst/audioeffectx.h"

namespace {

struct HostLog {
    struct Call {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        float opt;
    };
    std::vector<Call> calls;
    VstIntPtr answer = 1;
};
HostLog* hostLog = nullptr;

VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    if (hostLog == nullptr) return 0;
    hostLog->calls.push_back({opcode, index, value, opt});
    return hostLog->answer;
}

// Records which virtual operation each dispatcher call reached.
class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(int* destroyed = nullptr) : AudioEffectX(recordingHost, 3, 5), destroyed_(destroyed) {}
    ~ProbeEffect() override {
        if (destroyed_ != nullptr) ++*destroyed_;
    }

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override {
        reached.push_back("processReplacing");
        for (VstInt32 i = 0; i < frames; ++i) outputs[0][i] = 2.0f * inputs[0][i];
    }
    void open() override { reached.push_back("open"); }
    void close() override { reached.push_back("close"); }
    void suspend() override { reached.push_back("suspend"); }
    void resume() override { reached.push_back("resume"); }
    void setProgram(VstInt32 program) override {
        reached.push_back("setProgram " + std::to_string(program));
        AudioEffectX::setProgram(program);
    }
    void setParameter(VstInt32 index, float value) override {
        reached.push_back("setParameter " + std::to_string(index) + " " + std::to_string(value));
    }
    float getParameter(VstInt32 index) override { return 0.25f * static_cast<float>(index); }
    void getParameterName(VstInt32 index, char* text) override { vstCopyText(text, index == 1 ? "Second" : "", 9); }
    VstInt32 canDo(char* text) override { return std::strcmp(text, "yes") == 0 ? 1 : -1; }
    bool getEffectName(char* name) override {
        vstCopyText(name, "Probe", kVstMaxEffectNameLen);
        return true;
    }

    std::vector<std::string> reached;
    using AudioEffect::canProcessReplacing;
    using AudioEffect::programsAreChunks;

private:
    int* destroyed_;
};

class CountingEditor : public AEffEditor {
public:
    CountingEditor(AudioEffect* effect, int* destroyed) : AEffEditor(effect), destroyed_(destroyed) {}
    ~CountingEditor() override { ++*destroyed_; }
    bool onKeyDown(VstKeyCode& key) override {
        lastKey = key;
        return true;
    }
    bool setKnobMode(VstInt32 mode) override { return mode == 2; }
    bool open(void* window) override {
        AEffEditor::open(window);
        return true;
    }
    VstKeyCode lastKey{};

private:
    int* destroyed_;
};

class AudioEffectBase : public ::testing::Test {
protected:
    void SetUp() override { hostLog = &log; }
    void TearDown() override { hostLog = nullptr; }
    HostLog log;
};

TEST_F(AudioEffectBase, ConstructionFillsTheRecord) {
    ProbeEffect probe;
    AEffect* e = probe.getAeffect();
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->object, &probe);
    EXPECT_EQ(e->numPrograms, 3);
    EXPECT_EQ(e->numParams, 5);
    EXPECT_EQ(e->numInputs, 1);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing);
    EXPECT_EQ(e->uniqueID, fourCharCode('N', 'o', 'E', 'f'));
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);

    probe.programsAreChunks(true);
    probe.canProcessReplacing(false);
    EXPECT_EQ(e->flags, effFlagsProgramChunks);
}

TEST_F(AudioEffectBase, TrampolinesReachTheObject) {
    ProbeEffect probe;
    AEffect* e = probe.getAeffect();
    e->setParameter(e, 4, 0.5f);
    EXPECT_EQ(e->getParameter(e, 2), 0.5f);
    float in[3] = {1.0f, -2.0f, 0.5f}, out[3] = {};
    float* inputs[2] = {in, nullptr};
    float* outputs[2] = {out, nullptr};
    e->processReplacing(e, inputs, outputs, 3);
    EXPECT_EQ(out[1], -4.0f);
    const std::vector<std::string> expected = {"setParameter 4 0.500000", "processReplacing"};
    EXPECT_EQ(probe.reached, expected);
    // The deprecated accumulating entry and the double one do nothing by default.
    e->process(e, inputs, outputs, 3);
    EXPECT_EQ(out[1], -4.0f);
}

TEST_F(AudioEffectBase, DispatcherRoutesBothLevels) {
    ProbeEffect probe;
    AEffect* e = probe.getAeffect();
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
    const std::vector<std::string> expected = {"open", "resume", "suspend"};
    EXPECT_EQ(probe.reached, expected);

    char text[64] = "unchanged";
    e->dispatcher(e, effGetParamName, 1, 0, text, 0.0f);
    EXPECT_STREQ(text, "Second");
    e->dispatcher(e, effGetParamName, 1, 0, nullptr, 0.0f);  // a null buffer is ignored
    EXPECT_EQ(e->dispatcher(e, effGetEffectName, 0, 0, text, 0.0f), 1);
    EXPECT_STREQ(text, "Probe");
    EXPECT_EQ(e->dispatcher(e, effGetEffectName, 0, 0, nullptr, 0.0f), 0);
    char yes[] = "yes", no[] = "no";
    EXPECT_EQ(e->dispatcher(e, effCanDo, 0, 0, yes, 0.0f), 1);
    EXPECT_EQ(e->dispatcher(e, effCanDo, 0, 0, no, 0.0f), -1);
    EXPECT_EQ(e->dispatcher(e, effCanBeAutomated, 3, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(e->dispatcher(e, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(e->dispatcher(e, effIdentify, 0, 0, nullptr, 0.0f), fourCharCode('N', 'v', 'E', 'f'));
    EXPECT_EQ(e->dispatcher(e, effGetCurrentMidiProgram, 0, 0, nullptr, 0.0f), -1);
    EXPECT_EQ(e->dispatcher(e, effSetTotalSampleToProcess, 0, 777, nullptr, 0.0f), 777);
    for (VstInt32 opcode : {9, 16, 20, 21, 28, 80, 1000, -1, -4}) {
        EXPECT_EQ(e->dispatcher(e, opcode, 0, 0, nullptr, 0.0f), 0) << opcode;
    }
    void* chunk = &probe;
    EXPECT_EQ(e->dispatcher(e, effGetChunk, 0, 0, &chunk, 0.0f), 0);
    EXPECT_EQ(chunk, nullptr);

    AudioEffect& base = probe;
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(base.getSampleRate(), 96000.0f);
}

TEST_F(AudioEffectBase, SetProgramIgnoresOutOfRangeNumbers) {
    ProbeEffect probe;
    AEffect* e = probe.getAeffect();
    for (VstIntPtr program : {VstIntPtr{-1}, VstIntPtr{3}, VstIntPtr{1} << 40, VstIntPtr{2}}) {
        e->dispatcher(e, effSetProgram, 0, program, nullptr, 0.0f);
    }
    const std::vector<std::string> expected = {"setProgram 2"};
    EXPECT_EQ(probe.reached, expected);
    EXPECT_EQ(e->dispatcher(e, effGetProgram, 0, 0, nullptr, 0.0f), 2);
}

TEST_F(AudioEffectBase, SpeakerArrangementPointersAreCleared) {
    ProbeEffect probe;
    AEffect* e = probe.getAeffect();
    VstSpeakerArrangement* input = reinterpret_cast<VstSpeakerArrangement*>(&probe);
    VstSpeakerArrangement* output = reinterpret_cast<VstSpeakerArrangement*>(&probe);
    EXPECT_EQ(e->dispatcher(e, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output, 0.0f), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(AudioEffectBase, EditorIsOwnedAndReachedThroughTheDispatcher) {
    int editorsDestroyed = 0;
    auto* probe = new ProbeEffect();
    AEffect* e = probe->getAeffect();
    auto* editor = new CountingEditor(probe, &editorsDestroyed);
    probe->setEditor(editor);
    EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 13, nullptr, 4.0f), 1);
    EXPECT_EQ(editor->lastKey.character, 'a');
    EXPECT_EQ(editor->lastKey.virt, 13);
    EXPECT_EQ(editor->lastKey.modifier, 4);
    EXPECT_EQ(e->dispatcher(e, effEditKeyUp, 'a', 13, nullptr, 4.0f), 0);
    EXPECT_EQ(e->dispatcher(e, effSetEditKnobMode, 0, 2, nullptr, 0.0f), 1);
    char window = 0;
    EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &window, 0.0f), 1);
    EXPECT_TRUE(editor->isOpen());
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_FALSE(editor->isOpen());
    delete probe;
    EXPECT_EQ(editorsDestroyed, 1);

    ProbeEffect withoutEditor;
    withoutEditor.setEditor(nullptr);
    AEffect* plain = withoutEditor.getAeffect();
    EXPECT_EQ(plain->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(plain->dispatcher(plain, effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(plain->dispatcher(plain, effEditOpen, 0, 0, &window, 0.0f), 0);
    ERect* rect = reinterpret_cast<ERect*>(&window);
    EXPECT_EQ(plain->dispatcher(plain, effEditGetRect, 0, 0, &rect, 0.0f), 0);
}

TEST_F(AudioEffectBase, CloseThroughTheRecordDeletesTheEffect) {
    int destroyed = 0;
    auto* probe = new ProbeEffect(&destroyed);
    AEffect* e = probe->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(destroyed, 1);  // the record lived in the object: the host must not touch it again
}

TEST_F(AudioEffectBase, HostCallsCarryTheirArguments) {
    ProbeEffect probe;
    probe.setParameterAutomated(3, 0.75f);
    EXPECT_TRUE(probe.beginEdit(4));
    EXPECT_TRUE(probe.endEdit(4));
    EXPECT_TRUE(probe.sizeWindow(640, 267));
    EXPECT_TRUE(probe.updateDisplay());
    ASSERT_EQ(log.calls.size(), 5u);
    EXPECT_EQ(log.calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(log.calls[0].index, 3);
    EXPECT_EQ(log.calls[0].opt, 0.75f);
    EXPECT_EQ(log.calls[1].opcode, audioMasterBeginEdit);
    EXPECT_EQ(log.calls[1].index, 4);
    EXPECT_EQ(log.calls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(log.calls[3].opcode, audioMasterSizeWindow);
    EXPECT_EQ(log.calls[3].index, 640);
    EXPECT_EQ(log.calls[3].value, 267);
    EXPECT_EQ(log.calls[4].opcode, audioMasterUpdateDisplay);

    log.answer = 0;
    EXPECT_FALSE(probe.sizeWindow(1, 1));
    EXPECT_EQ(probe.getMasterVersion(), 1);  // a host that answers 0 counts as version 1
    log.answer = 2400;
    EXPECT_EQ(probe.getMasterVersion(), 2400);
}

TEST(VstCopyText, TruncatesAndAlwaysTerminates) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    vstCopyText(buffer, "HighPass CutOff", 8);
    EXPECT_STREQ(buffer, "HighPas");
    vstCopyText(buffer, nullptr, 8);
    EXPECT_STREQ(buffer, "");
    buffer[0] = 'x';
    vstCopyText(buffer, "abc", 0);
    EXPECT_EQ(buffer[0], 'x');
    vstCopyText(buffer, "abc", 1);
    EXPECT_STREQ(buffer, "");
}

}  // namespace
