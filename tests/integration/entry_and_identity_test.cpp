// The plug-in module as a host sees it: its exported entry, the AEffect record and the identity
// answers of the dispatcher.
#include <cmath>
#include <cstring>

#include "plugin_under_test.h"

namespace integration {
namespace {

TEST(PluginEntry, ExportsBothEntryNamesAtOneAddress) {
    std::string error;
    const auto module = vsthost::Module::load(pluginPath(), &error);
    ASSERT_NE(module, nullptr) << error;
    void* vstPluginMain = module->symbol("VSTPluginMain");
    ASSERT_NE(vstPluginMain, nullptr);
    EXPECT_EQ(module->symbol("main"), vstPluginMain);
}

TEST(PluginEntry, HostLibraryReportsWhatCannotBeLoaded) {
    std::string error;
    EXPECT_EQ(vsthost::Module::load(pluginPath() + ".missing", &error), nullptr);
    EXPECT_NE(error.find(".missing"), std::string::npos) << error;
    vsthost::Host host;
    EXPECT_FALSE(host.load(pluginPath() + ".missing"));
    EXPECT_FALSE(host.error().empty());
    EXPECT_EQ(host.effect(), nullptr);
    host.close();  // closing a host without an effect is harmless
}

TEST(PluginEntry, RefusesHostThatAnswersZeroToVersion) {
    vsthost::HostConfig config;
    config.versionAnswer = 0;
    vsthost::Host host(config);
    EXPECT_FALSE(host.load(pluginPath()));
    EXPECT_EQ(host.effect(), nullptr);
    // The question came first, with all other arguments 0, and nothing was built after the refusal.
    const auto calls = host.callbacks();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].index, 0);
    EXPECT_EQ(calls[0].value, 0);
    EXPECT_EQ(calls[0].opt, 0.0f);
}

TEST(PluginEntry, AsksVersionFirstAndUpdatesDisplayAfterConstruction) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    const auto calls = host->callbacks();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().opcode, audioMasterVersion);
    EXPECT_EQ(host->countCallbacks(audioMasterUpdateDisplay), 1u);
    for (const vsthost::CallbackRecord& call : calls) {
        if (call.opcode == audioMasterUpdateDisplay) {
            EXPECT_EQ(call.effect, host->effect());
        }
    }
    EXPECT_EQ(host->countCallbacks(audioMasterAutomate), 0u) << "construction must not automate the host";
}

TEST(PluginEntry, FillsTheEffectRecord) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    const AEffect* effect = host->effect();
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->numParams, kNumParams);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags & (effFlagsCanReplacing | effFlagsProgramChunks),
              effFlagsCanReplacing | effFlagsProgramChunks);
    // The editor adds HasEditor when it attaches itself; nothing else may be announced.
    EXPECT_EQ(effect->flags & ~(effFlagsCanReplacing | effFlagsProgramChunks | effFlagsHasEditor), 0);
    EXPECT_EQ(effect->uniqueID, fourCharCode('R', 'v', 'k', 't'));
    EXPECT_EQ(effect->uniqueID, 0x52766b74);
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
}

TEST(PluginEntry, AnswersIdentityQueries) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    bool overrun = false;
    EXPECT_EQ(host->dispatchText(effGetEffectName, 0, kVstMaxEffectNameLen, &overrun), "Tovin");
    EXPECT_FALSE(overrun);
    EXPECT_EQ(host->dispatchText(effGetVendorString, 0, kVstMaxVendorStrLen, &overrun), "Corvane");
    EXPECT_FALSE(overrun);
    EXPECT_EQ(host->dispatchText(effGetProductString, 0, kVstMaxProductStrLen, &overrun), "Corvane Tovin ");
    EXPECT_FALSE(overrun);
    EXPECT_EQ(host->dispatch(effGetEffectName, 0, 0, std::string(64, ' ').data()), 1);
    EXPECT_EQ(host->vendorVersion(), 1);
    EXPECT_EQ(host->vstVersion(), 2400);
    EXPECT_EQ(host->plugCategory(), kPlugCategEffect);
    EXPECT_EQ(host->dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
    EXPECT_EQ(host->dispatch(effGetTailSize), 0);
    EXPECT_EQ(host->dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(host->dispatch(effSetTotalSampleToProcess, 0, 4321), 4321);
    // Opcodes the effect does not know answer 0, negative private ones without an editor included.
    EXPECT_EQ(host->dispatch(9), 0);
    EXPECT_EQ(host->dispatch(80), 0);
    EXPECT_EQ(host->dispatch(12345), 0);
}

TEST(PluginEntry, CanDoAnswersOnlyExactMatches) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->canDo("receiveVstEvents"), 1);
    EXPECT_EQ(host->canDo("2in2out"), 1);
    EXPECT_EQ(host->canDo("1in1out"), 1);
    for (const char* other : {"receiveVstMidiEvent", "receiveVstEvent", "2in2", "1in", "", "bypass",
                              "sendVstEvents", "2in2outX", "RECEIVEVSTEVENTS"}) {
        EXPECT_EQ(host->canDo(other), -1) << '"' << other << '"';
    }
}

TEST(PluginEntry, NamesEveryParameterWithinEightBytes) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    // The padded names cut to the host's eight bytes, terminator included.
    EXPECT_EQ(host->paramName(0), "HPFreq ");
    EXPECT_EQ(host->paramName(19), "AirGain");
    EXPECT_EQ(host->paramName(20), "GenVol ");
    EXPECT_EQ(host->paramName(33), "GenOn  ");
    for (VstInt32 index = 0; index < kNumParams; ++index) {
        bool overrun = false;
        const std::string name = host->dispatchText(effGetParamName, index, kVstMaxParamStrLen, &overrun);
        EXPECT_EQ(name.size(), 7u) << "parameter " << index << " \"" << name << '"';
        EXPECT_FALSE(overrun) << "parameter " << index;
        EXPECT_NE(name[0], ' ') << "parameter " << index;
        EXPECT_EQ(host->paramLabel(index), "") << "parameter " << index;
        EXPECT_EQ(host->paramDisplay(index), "") << "parameter " << index;
        EXPECT_EQ(host->dispatch(effCanBeAutomated, index), 1) << "parameter " << index;
    }
}

TEST(PluginEntry, ParameterPropertiesStayInsideTheHostRecord) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    for (VstInt32 index = 0; index < kNumParams; ++index) {
        // Fill the record with a marker: the short label is 8 bytes without room for a terminator, so
        // the byte after it (displayIndex) must keep the marker unless the effect fills that field.
        VstParameterProperties properties;
        std::memset(&properties, 0x5a, sizeof properties);
        host->dispatch(effGetParameterProperties, index, 0, &properties);
        const size_t labelLength = strnlen(properties.label, sizeof properties.label);
        EXPECT_LT(labelLength, sizeof properties.label) << "parameter " << index << ": label unterminated";
        EXPECT_GT(labelLength, 0u) << "parameter " << index;
        if ((properties.flags & kVstParameterSupportsDisplayIndex) == 0) {
            unsigned char afterShortLabel = 0;
            std::memcpy(&afterShortLabel, reinterpret_cast<const char*>(&properties) +
                                              offsetof(VstParameterProperties, displayIndex), 1);
            EXPECT_EQ(afterShortLabel, 0x5a) << "parameter " << index << ": wrote past the short label";
        }
    }
    VstParameterProperties properties;
    std::memset(&properties, 0, sizeof properties);
    host->dispatch(effGetParameterProperties, 0, 0, &properties);
    EXPECT_STREQ(properties.label, "HighPass CutOff Frequency");
}

TEST(PluginEntry, OutOfRangeIndexesAreHarmless) {
    auto host = loadPlugin();
    ASSERT_NE(host, nullptr);
    for (VstInt32 index : {-1, -1000, kNumParams, 110, 100000}) {
        host->paramName(index);
        VstParameterProperties properties;
        host->parameterProperties(index, properties);
        host->setParameter(index, 0.5f);
        EXPECT_TRUE(std::isfinite(host->getParameter(index))) << index;
    }
    host->setProgram(-1);
    host->setProgram(1000);
    EXPECT_EQ(host->dispatch(effGetProgramNameIndexed, 1, 0, std::string(64, ' ').data()), 0);
    EXPECT_EQ(host->dispatch(effGetProgramNameIndexed, -1, 0, std::string(64, ' ').data()), 0);
}

TEST(PluginEntry, TwoInstancesOfOneModuleAreIndependent) {
    vsthost::Host first, second;
    ASSERT_TRUE(first.load(pluginPath())) << first.error();
    ASSERT_TRUE(second.instantiate(first.module())) << second.error();
    EXPECT_NE(first.effect(), second.effect());
    EXPECT_NE(first.effect()->object, second.effect()->object);
    const float secondGeneralOn = second.getParameter(33);
    first.dispatch(effSetBypass, 0, 1);
    EXPECT_EQ(first.getParameter(33), 0.0f);
    EXPECT_EQ(second.getParameter(33), secondGeneralOn);
    first.close();  // the module stays loaded for the second instance
    EXPECT_EQ(second.effectName(), "Tovin");
}

}  // namespace
}  // namespace integration
