// The effect as a host sees it: entry, identity, dispatcher answers and the private opcodes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host_recorder.h"

namespace {

struct StereoBuffers {
    explicit StereoBuffers(int frames) : in(2, std::vector<float>(frames)), out(2, std::vector<float>(frames)) {
        for (int i = 0; i < frames; ++i) {
            in[0][i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
            in[1][i] = 0.25f * std::cos(0.03f * static_cast<float>(i));
        }
        inputs[0] = in[0].data();
        inputs[1] = in[1].data();
        outputs[0] = out[0].data();
        outputs[1] = out[1].data();
    }
    std::vector<std::vector<float>> in, out;
    float* inputs[2]{};
    float* outputs[2]{};
};

}  // namespace

TEST(Entry, HostThatAnswersNoVersionGetsNoEffect) {
    HostRecorder::instance().versionAnswer = 0;
    EXPECT_EQ(CDravel::createEffect(&HostRecorder::callback), nullptr);
    HostRecorder::instance().versionAnswer = 2400;
    EXPECT_EQ(CDravel::createEffect(nullptr), nullptr);
}

TEST(Entry, IdentityOfTheEffectRecord) {
    HostRecorder::instance().clear();
    EffectHandle h;
    ASSERT_NE(h.aeffect, nullptr);
    const AEffect& e = *h.aeffect;
    EXPECT_EQ(e.magic, kEffectMagic);
    EXPECT_EQ(e.numPrograms, 1);
    EXPECT_EQ(e.numParams, 34);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsHasEditor);
    EXPECT_EQ(e.uniqueID, 0x52766b74);
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_EQ(e.ioRatio, 1.0f);
    // Construction ends by asking the host to refresh its display.
    EXPECT_EQ(HostRecorder::instance().count(audioMasterUpdateDisplay), 1);
}

TEST(Dispatcher, NamesAndCapabilities) {
    EffectHandle h;
    char text[128];
    std::memset(text, 'x', sizeof(text));
    h.dispatch(effGetParamName, 0, 0, text);
    EXPECT_STREQ(text, "HPFreq ");
    EXPECT_EQ(text[8], 'x');  // eight bytes at most, for hosts that give no more
    h.dispatch(effGetParamName, 19, 0, text);
    EXPECT_STREQ(text, "AirGain");
    h.dispatch(effGetParamLabel, 0, 0, text);
    EXPECT_STREQ(text, "");
    h.dispatch(effGetParamDisplay, 0, 0, text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(h.dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tovin");
    EXPECT_EQ(h.dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Corvane");
    EXPECT_EQ(h.dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Corvane Tovin ");
    EXPECT_EQ(h.dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(h.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(h.dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(h.dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
    EXPECT_EQ(h.dispatch(effCanBeAutomated, 33), 1);
    EXPECT_EQ(h.dispatch(effGetTailSize), 0);
    EXPECT_EQ(h.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(h.dispatch(effSetTotalSampleToProcess, 0, 777), 777);
    EXPECT_EQ(h.dispatch(effString2Parameter, 0, 0, text), 0);
    EXPECT_EQ(h.dispatch(200), 0);
    EXPECT_EQ(h.dispatch(-99), 0);

    for (const char* yes : {"receiveVstEvents", "2in2out", "1in1out"})
        EXPECT_EQ(h.dispatch(effCanDo, 0, 0, const_cast<char*>(yes)), 1) << yes;
    for (const char* no : {"receiveVstMidiEvent", "receiveVstEvent", "2in", "", "bypass"})
        EXPECT_EQ(h.dispatch(effCanDo, 0, 0, const_cast<char*>(no)), -1) << no;
}

TEST(Dispatcher, ProgramNameIsTheActiveSlotName) {
    EffectHandle h;
    char name[kVstMaxProgNameLen];
    h.dispatch(effGetProgramName, 0, 0, name);
    char expected[32];
    std::snprintf(expected, sizeof(expected), "Tovin%.2dA", h.effect->instanceNumber());
    EXPECT_STREQ(name, expected);
    EXPECT_EQ(h.dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ(name, expected);
    EXPECT_EQ(h.dispatch(effGetProgramNameIndexed, 1, 0, name), 0);
    EXPECT_EQ(h.dispatch(effGetProgramNameIndexed, -1, 0, name), 0);
    EXPECT_EQ(h.dispatch(effGetProgram), 0);
    // Out-of-range program numbers are refused before anything is touched.
    h.dispatch(effSetProgram, 0, 5);
    h.dispatch(effSetProgram, 0, -3);
    EXPECT_EQ(h.dispatch(effGetProgram), 0);
}

TEST(Dispatcher, BypassIsGeneralOnOff) {
    EffectHandle h;
    EXPECT_EQ(h.dispatch(effSetBypass, 0, 1), 1);
    EXPECT_EQ(h.aeffect->getParameter(h.aeffect, 33), 0.0f);
    EXPECT_EQ(h.dispatch(effSetBypass, 0, 0), 1);
    EXPECT_EQ(h.aeffect->getParameter(h.aeffect, 33), 1.0f);
}

TEST(Dispatcher, ParameterPropertiesStayInTheirFields) {
    EffectHandle h;
    VstParameterProperties p;
    std::memset(&p, 0x55, sizeof(p));
    ASSERT_EQ(h.dispatch(effGetParameterProperties, 25, 0, &p), 1);
    EXPECT_STREQ(p.label, "Bell 2 On/Off");
    EXPECT_EQ(std::string(p.shortLabel, 8), "B2On    ");
    // Nothing written past the eight-byte short label.
    EXPECT_EQ(static_cast<unsigned char>(reinterpret_cast<const char*>(&p.displayIndex)[0]), 0x55);
    EXPECT_EQ(p.flags, kVstParameterIsSwitch);
    EXPECT_EQ(p.stepInteger, 2);

    std::memset(&p, 0, sizeof(p));
    ASSERT_EQ(h.dispatch(effGetParameterProperties, 14, 0, &p), 1);
    EXPECT_STREQ(p.label, "Bell/High Shelf CutOff Frequenc");
    EXPECT_EQ(p.flags, 0);
    ASSERT_EQ(h.dispatch(effGetParameterProperties, 20, 0, &p), 1);
    EXPECT_STREQ(p.label, "General Volum");
    EXPECT_EQ(h.dispatch(effGetParameterProperties, 34, 0, &p), 0);
    EXPECT_EQ(h.dispatch(effGetParameterProperties, -1, 0, &p), 0);
    EXPECT_EQ(h.dispatch(effGetParameterProperties, 1000, 0, &p), 0);
}

TEST(Dispatcher, OutputPropertiesFollowTheOutputsInUse) {
    EffectHandle h;
    VstPinProperties pin{};
    ASSERT_EQ(h.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Tovin 1");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    ASSERT_EQ(h.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Tovin 2");
    EXPECT_EQ(h.dispatch(effGetInputProperties, 0, 0, &pin), 0);

    StereoBuffers b(64);
    b.outputs[1] = nullptr;
    h.aeffect->processReplacing(h.aeffect, b.inputs, b.outputs, 64);
    EXPECT_EQ(h.dispatch(effGetOutputProperties, 1, 0, &pin), 0);
    EXPECT_EQ(h.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
}

TEST(Dispatcher, SampleRateBelowOneKeepsTheEngineAtOneHertz) {
    EffectHandle h;
    h.dispatch(effSetSampleRate, 0, 0, nullptr, 0.5f);
    EXPECT_EQ(h.effect->getSampleRate(), 0.5f);
    EXPECT_EQ(h.effect->effectSampleRate(), 1.0f);
    h.dispatch(effSetSampleRate, 0, 0, nullptr, std::nanf(""));
    EXPECT_EQ(h.effect->effectSampleRate(), 1.0f);
    h.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(h.effect->effectSampleRate(), 48000.0f);
}

TEST(Dispatcher, EditorOpcodesOfAClosedEditor) {
    EffectHandle h;
    ERect* rect = nullptr;
    ASSERT_EQ(h.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 640);
    EXPECT_EQ(rect->bottom - rect->top, 267);
    // The editor always exists; while it is closed its calls do nothing and answer 0.
    EXPECT_EQ(h.dispatch(effEditIdle), 0);
    EXPECT_EQ(h.dispatch(effEditKeyDown, 'a', 0, nullptr, 0), 0);
    EXPECT_EQ(h.dispatch(effSetEditKnobMode, 0, 2), 1);
    for (VstInt32 opcode : {-1, -2, -3}) EXPECT_EQ(h.dispatch(opcode, 10, 10, nullptr, 1.0f), 0) << opcode;
    EXPECT_EQ(h.dispatch(effVendorSpecific, fourCharCode('s', 't', 'C', 'A'), fourCharCode('W', 'h', 'e', 'e'),
                         nullptr, 1.0f),
              0);
    EXPECT_EQ(h.dispatch(effEditClose), 0);
    EXPECT_EQ(h.dispatch(-4), 0);
    void* speakers[2] = {reinterpret_cast<void*>(1), reinterpret_cast<void*>(1)};
    EXPECT_EQ(h.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&speakers[0]), &speakers[1]), 0);
    EXPECT_EQ(speakers[0], nullptr);
    EXPECT_EQ(speakers[1], nullptr);
}

TEST(Processing, EventsChangeNothingAudible) {
    EffectHandle a;
    EffectHandle b;
    for (EffectHandle* h : {&a, &b}) {
        h->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        h->aeffect->setParameter(h->aeffect, 33, 1.0f);
        h->aeffect->setParameter(h->aeffect, 25, 1.0f);
        h->aeffect->setParameter(h->aeffect, 7, 0.9f);
    }
    VstMidiEvent notes[200]{};
    std::vector<VstEvent*> pointers;
    for (int i = 0; i < 200; ++i) {
        notes[i].type = kVstMidiType;
        notes[i].byteSize = 24;
        notes[i].deltaFrames = i % 64;
        notes[i].midiData[0] = static_cast<char>(i % 2 ? 0x90 : 0xB0);
        notes[i].midiData[1] = static_cast<char>(i % 2 ? 60 : 123);
        pointers.push_back(reinterpret_cast<VstEvent*>(&notes[i]));
    }
    std::vector<char> storage(sizeof(VstEvents) + sizeof(VstEvent*) * 200);
    auto* events = reinterpret_cast<VstEvents*>(storage.data());
    events->numEvents = 200;
    VstEvent** list = events->events;
    for (int i = 0; i < 200; ++i) list[i] = pointers[static_cast<std::size_t>(i)];
    EXPECT_EQ(a.dispatch(effProcessEvents, 0, 0, events), 1);

    StereoBuffers ba(100);
    StereoBuffers bb(100);
    a.aeffect->processReplacing(a.aeffect, ba.inputs, ba.outputs, 100);
    b.aeffect->processReplacing(b.aeffect, bb.inputs, bb.outputs, 100);
    EXPECT_EQ(ba.out, bb.out);
}

TEST(Processing, MonoOutputAndOddBlockSizes) {
    EffectHandle h;
    StereoBuffers b(1000);
    for (int frames : {0, 1, 43, 44, 45, 100, 1000}) {
        h.aeffect->processReplacing(h.aeffect, b.inputs, b.outputs, frames);
        for (int i = 0; i < frames; ++i) ASSERT_TRUE(std::isfinite(b.out[0][static_cast<std::size_t>(i)]));
    }
    b.inputs[1] = nullptr;
    b.outputs[1] = nullptr;
    h.aeffect->processReplacing(h.aeffect, b.inputs, b.outputs, 100);
    // Null buffer arrays get silence-free rejection rather than a crash.
    h.aeffect->processReplacing(h.aeffect, nullptr, nullptr, 100);
}
