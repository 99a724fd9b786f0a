// The simulated host loads Tovin.dpm through its exports: the group and its two types, the controls an
// instance shows, control moves reaching the effect, and the state chunk against a plain VST instance
// of the same effect.
#include <cstring>
#include <memory>

#include "simulated_host.h"
#include "tools/vsthost/vst_host.h"

namespace {

using namespace simhost;
using hostlib::fourCC;

constexpr int32_t kControls = 35;  // the master bypass and 34 parameters
constexpr const char* kInstalledEffect = "C:\\Tovin\\Tovin.dll";

std::unique_ptr<vsthost::Host> plainEffect() {
    auto plain = std::make_unique<vsthost::Host>();
    EXPECT_TRUE(plain->load(kInstalledEffect)) << plain->error();
    if (plain->effect() == nullptr) return nullptr;
    plain->start(44100.0f, 512);
    return plain;
}

TEST(AdapterModule, OpensThroughItsExportsAndDescribesTheProduct) {
    ASSERT_NE(module().handle, nullptr) << module().error;
    EXPECT_EQ(module().newPlugIn, 0);
    const PIRoutineTable& table = routines();
    ASSERT_NE(table.groupInfo, nullptr);
    EXPECT_EQ(table.abiVersion, kPIAbiVersion);
    auto descriptor = reinterpret_cast<PIGetRoutineDescriptorProc>(
        reinterpret_cast<void*>(GetProcAddress(module().handle, "_PI_GetRoutineDescriptor")));
    EXPECT_EQ(descriptor(kPIAbiVersion + 1), nullptr);
    // A second NewPlugIn keeps the one group.
    auto create = reinterpret_cast<PINewPlugInProc>(reinterpret_cast<void*>(GetProcAddress(module().handle, "NewPlugIn")));
    EXPECT_EQ(create(), 0);

    PIGroupInfo group{};
    ASSERT_EQ(table.groupInfo(&group), 0);
    EXPECT_EQ(group.manufacturerID, fourCC('V', 'r', 'a', 'x'));
    EXPECT_STREQ(group.manufacturerNames, "Corvane\nCorvane\n");
    EXPECT_STREQ(group.productNames, "Tovin\nTovin");
    EXPECT_EQ(group.productVersion, 1);
    ASSERT_EQ(group.settingCount, 1);
    EXPECT_EQ(group.settings[0], 14);
    ASSERT_EQ(group.typeCount, 2);

    const int32_t typeIDs[] = {fourCC('M', 'o', 'n', 'o'), fourCC('S', 't', 'e', 'r')};
    for (int32_t index = 0; index < 2; ++index) {
        PITypeInfo type{};
        ASSERT_EQ(table.typeInfo(index, &type), 0);
        EXPECT_EQ(type.typeID, typeIDs[index]);
        EXPECT_EQ(type.productID, fourCC('t', 'o', 'v', 'n'));
        EXPECT_EQ(type.inputFormat, index + 1);
        EXPECT_EQ(type.outputFormat, index + 1);
        EXPECT_STREQ(type.typeName, "Tovin");
        EXPECT_EQ(type.sampleRateSupport, 6);
        ASSERT_EQ(type.propertyCount, 3);
        EXPECT_EQ(type.properties[0], 8);
        EXPECT_EQ(type.properties[1], 48);
        EXPECT_EQ(type.properties[2], 7);
        EXPECT_STREQ(type.pageTableResource, "MonoPageTables");
    }
    PITypeInfo none{};
    EXPECT_NE(table.typeInfo(2, &none), 0);
    int32_t error = 0;
    EXPECT_EQ(table.createInstance(5, &error), nullptr);
    EXPECT_NE(error, 0);
}

TEST(AdapterControls, ShowTheBypassAndEveryParameterWithItsNameAndValue) {
    auto plain = plainEffect();
    ASSERT_NE(plain, nullptr);
    for (int32_t type : {kMonoType, kStereoType}) {
        Instance instance(type);
        ASSERT_NE(instance.get(), nullptr) << instance.createError();
        const PIInstanceInfo info = instance.info();
        EXPECT_EQ(info.inputs, type + 1);
        EXPECT_EQ(info.outputs, type + 1);
        EXPECT_EQ(info.channelSetting, type == kStereoType ? 2 : 128);
        ASSERT_EQ(info.controlCount, kControls);
        EXPECT_EQ(info.masterBypassControl, 1);
        EXPECT_NE(info.midiNodeID, 0);
        EXPECT_TRUE(host().messages.empty());

        const PIControlInfo bypass = instance.control(1);
        EXPECT_EQ(bypass.id, fourCC('b', 'y', 'p', 'a'));
        EXPECT_EQ(bypass.kind, kPIControlOnOff);
        EXPECT_STREQ(bypass.name, "Master Bypass\nMastrByp");
        EXPECT_EQ(instance.value(1), 0);
        EXPECT_STREQ(instance.control(2).name, "HighPass CutOff Frequency\nHPFreq  ");
        for (int32_t number = 2; number <= kControls; ++number) {
            const PIControlInfo control = instance.control(number);
            const VstInt32 parameter = number - 2;
            EXPECT_EQ(control.id, parameter);
            // The 21 continuous parameters, then the 13 switches.
            EXPECT_EQ(control.kind, number <= 22 ? kPIControlLinear : kPIControlOnOff) << number;
            if (number <= 22) {
                EXPECT_DOUBLE_EQ(control.step, 0.0001);
            }
            EXPECT_EQ(control.automatable, 1);
            VstParameterProperties properties{};
            ASSERT_EQ(plain->parameterProperties(parameter, properties), true);
            std::string expected = properties.label;
            const std::string shortName(properties.shortLabel, strnlen(properties.shortLabel, 8));
            if (!shortName.empty()) expected += "\n" + shortName;
            EXPECT_EQ(control.name, expected) << number;
            EXPECT_NEAR(instance.continuous(number), number <= 22 ? plain->getParameter(parameter)
                                                                  : (plain->getParameter(parameter) >= 0.5f ? 1.0 : 0.0),
                        1e-6)
                << number;
        }
        PIControlInfo none{};
        EXPECT_NE(routines().controlInfo(instance.get(), kControls + 1, &none), 0);
        EXPECT_NE(routines().controlInfo(instance.get(), 0, &none), 0);
    }
}

TEST(AdapterState, ChunkCarriesTheEffectsStateBitForBitBothWays) {
    Instance first;
    ASSERT_NE(first.get(), nullptr);
    // Pro Tools moves control 2 (the high-pass frequency, parameter 0) and a switch.
    ASSERT_EQ(first.setContinuous(2, 0.25), 0);
    ASSERT_EQ(first.setContinuous(27, 1.0), 0);  // parameter 25, Bell 2 on
    const std::vector<unsigned char> saved = first.chunk(kStateChunk);
    ASSERT_GT(saved.size(), 56u);
    int32_t total = 0;
    std::memcpy(&total, saved.data(), sizeof(total));
    EXPECT_EQ(total, static_cast<int32_t>(saved.size()));
    const auto* header = reinterpret_cast<const hostlib::ChunkHeader*>(saved.data());
    EXPECT_EQ(header->chunkID, kStateChunk);
    EXPECT_EQ(header->formatTag, -152);
    EXPECT_STREQ(header->name, "Tovin Controls Data");
    EXPECT_EQ(header->typeID, fourCC('S', 't', 'e', 'r'));

    // The effect's own chunk behind the header: a plain VST instance reads the same state from it.
    auto plain = plainEffect();
    ASSERT_NE(plain, nullptr);
    const std::vector<char> data = chunkData(saved);
    plain->setChunk(data);
    EXPECT_FLOAT_EQ(plain->getParameter(0), 0.25f);
    EXPECT_EQ(plain->getParameter(25), 1.0f);
    EXPECT_EQ(plain->getChunk(), data);

    // And back: the plain instance's chunk, behind a header, into a fresh adapter instance.
    plain->setParameter(7, 0.7f);
    const std::vector<char> changed = plain->getChunk();
    Instance second;
    ASSERT_NE(second.get(), nullptr);
    ASSERT_EQ(second.setChunk(kStateChunk, chunkWith(changed)), 0);
    EXPECT_EQ(chunkData(second.chunk(kStateChunk)), changed);
    // The restore shows the effect's values on the controls.
    EXPECT_NEAR(second.continuous(9), 0.7, 1e-6);
    EXPECT_NEAR(second.continuous(2), 0.25, 1e-6);
    EXPECT_EQ(second.continuous(27), 1.0);

    // The MIDI node's chunk carries the node across too.
    const std::vector<unsigned char> midi = first.chunk(hostlib::kMidiChunkID);
    ASSERT_FALSE(midi.empty());
    EXPECT_EQ(second.setChunk(hostlib::kMidiChunkID, midi), 0);
    EXPECT_EQ(second.info().midiNodeID, first.info().midiNodeID);
}

TEST(AdapterState, RefusesChunksThatDoNotHoldWhatTheySay) {
    Instance instance;
    ASSERT_NE(instance.get(), nullptr);
    ASSERT_EQ(instance.setContinuous(2, 0.4), 0);
    const std::vector<unsigned char> before = instance.chunk(kStateChunk);
    std::vector<unsigned char> cut(before.begin(), before.end() - 100);  // stored size beyond the data
    EXPECT_EQ(instance.setChunk(kStateChunk, cut), hostlib::kErrChunkDamaged);
    std::vector<unsigned char> headerOnly(before.begin(), before.begin() + 56);
    int32_t size56 = 56;
    std::memcpy(headerOnly.data(), &size56, 4);
    EXPECT_EQ(instance.setChunk(kStateChunk, headerOnly), hostlib::kErrChunkDamaged);
    std::vector<unsigned char> tooShort(before.begin(), before.begin() + 20);
    EXPECT_NE(instance.setChunk(kStateChunk, tooShort), 0);
    std::vector<unsigned char> negative = before;
    int32_t minus = -5;
    std::memcpy(negative.data(), &minus, 4);
    EXPECT_EQ(instance.setChunk(kStateChunk, negative), hostlib::kErrChunkDamaged);
    EXPECT_EQ(instance.chunk(kStateChunk), before) << "a refused chunk leaves the effect as it was";

    // A longer hand-over than the chunk's stored size: only the stored bytes reach the effect.
    std::vector<unsigned char> padded = before;
    padded.resize(before.size() + 64, 0xEE);
    Instance other;
    ASSERT_NE(other.get(), nullptr);
    EXPECT_EQ(other.setChunk(kStateChunk, padded), 0);
    EXPECT_EQ(chunkData(other.chunk(kStateChunk)), chunkData(before));

    std::vector<unsigned char> small(before.size() - 1);
    EXPECT_EQ(routines().getChunk(instance.get(), kStateChunk, small.data(), static_cast<int32_t>(small.size())),
              hostlib::kErrBufferTooSmall);
    EXPECT_EQ(instance.setChunk(fourCC('n', 'o', 'n', 'e'), before), hostlib::kErrChunkUnknown);
}

}  // namespace
