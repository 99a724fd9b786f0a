// Calls a careless or fuzzing host makes: every opcode with empty arguments, parameter values and
// indexes out of range, nonsense sample rates and block sizes, floods of MIDI events, the deprecated
// entries. None may crash the effect or leave it unable to sound.
#include <climits>
#include <cstddef>
#include <cstring>
#include <limits>

#include "probe.h"

namespace conformance {
namespace {

constexpr float kRate = 48000.0f;

// Still working: a whole chunk, parameters in range, finite sound after a fresh start.
::testing::AssertionResult stillWorks(vsthost::Host& host) {
    host.setSampleRate(kRate);
    host.setBlockSize(512);
    host.mainsChanged(true);
    if (host.getChunk().size() != static_cast<size_t>(kChunkSize)) return ::testing::AssertionFailure() << "no whole chunk";
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        const float v = host.getParameter(i);
        if (!(v >= 0.0f && v <= 1.0f)) return ::testing::AssertionFailure() << "parameter " << i << " reads " << v;
    }
    applySetting(host, busySetting());
    const Stereo out = render(host, testSignal(9600, kRate));
    if (!allFinite(out)) return ::testing::AssertionFailure() << "the output is not finite";
    if (!(peak(out, 4800) > 1.0e-3f)) return ::testing::AssertionFailure() << "the output is silent";
    return ::testing::AssertionSuccess();
}

TEST(HostCalls, EveryOpcodeWithEmptyArguments) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    alignas(16) static char zeroed[4096];
    int sent = 0;
    for (void* ptr : {static_cast<void*>(nullptr), static_cast<void*>(zeroed)}) {
        for (VstInt32 opcode = -4; opcode <= 80; ++opcode) {
            // effClose ends the effect; the editor's window calls need a real parent window.
            if (opcode == effClose || opcode == effEditOpen) continue;
            std::memset(zeroed, 0, sizeof zeroed);
            host->dispatch(opcode, 0, 0, ptr, 0.0f);
            ++sent;
        }
    }
    EXPECT_TRUE(stillWorks(*host));
    figure(format("%d calls, opcodes -4..80 with null and zeroed pointers", sent));
}

TEST(HostCalls, ParametersOutOfRange) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    const float strange[] = {-1.0f, 2.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 1.0e30f, -1.0e30f, -0.0f, 1.0e-40f, 1.0000001f};
    for (float v : strange) {
        for (VstInt32 i = 0; i < kNumParams; ++i) {
            host->setParameter(i, v);
            const float read = host->getParameter(i);
            EXPECT_TRUE(read >= 0.0f && read <= 1.0f) << "parameter " << i << " set to " << v << " reads " << read;
        }
        EXPECT_TRUE(allFinite(render(*host, testSignal(2048, kRate)))) << "after every parameter at " << v;
    }
    // Indexes no parameter has.
    for (VstInt32 index : {-1, -1000, 110, 1000, INT_MAX, INT_MIN}) {
        host->setParameter(index, 0.7f);
        EXPECT_EQ(host->getParameter(index), 0.0f) << "index " << index;
        char text[256] = {};
        host->dispatch(effGetParamName, index, 0, text);
        host->dispatch(effGetParamDisplay, index, 0, text);
        host->dispatch(effGetParamLabel, index, 0, text);
        VstParameterProperties p{};
        EXPECT_EQ(host->dispatch(effGetParameterProperties, index, 0, &p), 0) << "index " << index;
    }
    EXPECT_TRUE(stillWorks(*host));
}

TEST(HostCalls, NonsenseSampleRatesAndBlockSizes) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    const float rates[] = {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                           1.0e9f, 1.0e-3f, 1.0f};
    for (float rate : rates) {
        host->setSampleRate(rate);
        EXPECT_TRUE(allFinite(render(*host, testSignal(2048, kRate)))) << "at " << rate << " Hz";
    }
    for (VstInt32 size : {0, -1, INT_MAX, INT_MIN}) host->setBlockSize(size);
    // Back at 48 kHz it sounds like an instance that never saw them.
    host->setSampleRate(kRate);
    host->setBlockSize(512);
    const Stereo input = testSignal(48000, kRate);
    const Stereo out = render(*host, input);
    auto fresh = newInstance();
    ASSERT_NE(fresh, nullptr);
    applySetting(*fresh, busySetting());
    const float d = largestDifference(out, render(*fresh, input), 24000);
    EXPECT_LE(d, 1.0e-4f);
    figure(format("7 nonsense rates; 0.5 s back at 48 kHz %.1e from a fresh instance", d));
}

TEST(HostCalls, FloodsOfMidiEvents) {
    constexpr int kEvents = 1000;
    auto quiet = newInstance();
    auto flooded = newInstance();
    ASSERT_NE(quiet, nullptr);
    ASSERT_NE(flooded, nullptr);
    applySetting(*quiet, busySetting());
    applySetting(*flooded, busySetting());
    std::vector<VstMidiEvent> midi(kEvents);
    std::vector<char> list(sizeof(VstEvents) + sizeof(VstEvent*) * kEvents);
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    Random random(128);
    events->numEvents = kEvents;
    // Hosts allocate the list beyond the two entries the record declares.
    VstEvent** slots = reinterpret_cast<VstEvent**>(list.data() + offsetof(VstEvents, events));
    for (int i = 0; i < kEvents; ++i) {
        VstMidiEvent& e = midi[static_cast<size_t>(i)];
        e = VstMidiEvent{};
        e.type = random.below(8) == 0 ? 6 : kVstMidiType;  // some of another type
        e.byteSize = sizeof(VstMidiEvent) - 8;
        e.deltaFrames = random.below(10) == 0 ? -5 - random.below(100) : random.below(2000);  // beyond the block too
        const unsigned char status[] = {0x90, 0x80, 0xB0, 0xE0, 0xF0};
        e.midiData[0] = static_cast<char>(status[random.below(5)] | random.below(16));
        e.midiData[1] = static_cast<char>(random.below(128));
        e.midiData[2] = static_cast<char>(random.below(128));
        slots[i] = random.below(20) == 0 ? nullptr : reinterpret_cast<VstEvent*>(&e);
    }
    const Stereo input = testSignal(24000, kRate);
    const Stereo a = render(*quiet, input);
    const Stereo b = render(*flooded, input, nullptr, [&](size_t) {
        EXPECT_EQ(flooded->dispatch(effProcessEvents, 0, 0, events), 1);
    });
    EXPECT_TRUE(bitIdentical(a, b)) << "MIDI events changed the sound";
    figure(format("%d events before each of %zu blocks", kEvents, input.frames() / 512 + 1));
}

TEST(HostCalls, ProcessingBeforeAnySetup) {
    // Some hosts process right after the entry, before effOpen, a sample rate or resume: the output
    // is written (never the stale buffer) and finite.
    vsthost::Host host;
    ASSERT_TRUE(host.instantiate(sharedModule())) << host.error();
    const Stereo input = testSignal(4096, 44100.0f);
    Stereo out{std::vector<float>(input.frames(), std::numeric_limits<float>::quiet_NaN()),
               std::vector<float>(input.frames(), std::numeric_limits<float>::quiet_NaN())};
    host.processStereo(input.left.data(), input.right.data(), out.left.data(), out.right.data(), 4096);
    EXPECT_TRUE(allFinite(out));
    // Suspended, a host may still call it.
    host.mainsChanged(false);
    host.processStereo(input.left.data(), input.right.data(), out.left.data(), out.right.data(), 4096);
    EXPECT_TRUE(allFinite(out));
    EXPECT_TRUE(stillWorks(host));
}

TEST(HostCalls, DeprecatedAndDoubleEntries) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    applySetting(*host, busySetting());
    AEffect* effect = host->effect();
    std::vector<float> fl(512, 0.25f), fr(512, -0.25f), ol(512, 0.0f), orr(512, 0.0f);
    float* fin[2] = {fl.data(), fr.data()};
    float* fout[2] = {ol.data(), orr.data()};
    if (effect->process != nullptr) effect->process(effect, fin, fout, 512);
    for (float v : ol) EXPECT_TRUE(std::isfinite(v));
    std::vector<double> dl(512, 0.25), dr(512, -0.25), dol(512, 0.0), dor(512, 0.0);
    double* din[2] = {dl.data(), dr.data()};
    double* dout[2] = {dol.data(), dor.data()};
    if (effect->processDoubleReplacing != nullptr && (effect->flags & effFlagsCanDoubleReplacing) == 0) {
        // Not announced, but a host may still call it: it must not crash.
        effect->processDoubleReplacing(effect, din, dout, 512);
    }
    EXPECT_TRUE(stillWorks(*host));
}

}  // namespace
}  // namespace conformance
