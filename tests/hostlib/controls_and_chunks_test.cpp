// The host library's controls, key/value chunk, MIDI node and the process's MIDI chunk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "hostlib/effect_process.h"
#include "hostlib/key_value_chunk.h"
#include "hostlib/midi_node.h"
#include "hostlib/plugin_control.h"

namespace hostlib {
namespace {

TEST(HostControls, ConvertMonotonicallyAndClampEveryInput) {
    CPluginControl_LinearLevel level(0, "Level", 0.0, 1.0, 0.0001, 0.25);
    EXPECT_EQ(level.GetValue(), level.ConvertContinuousToControl(0.25));
    int32_t previous = -1;
    for (int i = 0; i <= 1000; ++i) {
        const double x = i / 1000.0;
        const int32_t value = level.ConvertContinuousToControl(x);
        EXPECT_GT(value, previous) << x;
        previous = value;
        // A parameter's float survives the trip to the host's scale and back: exactly from 1/128 up,
        // where floats are coarser than the scale, and within the scale's step below.
        const float f = static_cast<float>(x);
        const double back = level.ConvertControlToContinuous(level.ConvertContinuousToControl(f));
        if (f >= 1.0f / 128.0f)
            EXPECT_EQ(static_cast<float>(back), f) << x;
        else
            EXPECT_NEAR(back, f, 1.0 / kControlValueMax) << x;
    }
    EXPECT_EQ(level.ConvertContinuousToControl(0.0), 0);
    EXPECT_EQ(level.ConvertContinuousToControl(1.0), kControlValueMax);
    EXPECT_EQ(level.ConvertContinuousToControl(-3.0), 0);
    EXPECT_EQ(level.ConvertContinuousToControl(7.0), kControlValueMax);
    EXPECT_EQ(level.ConvertContinuousToControl(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(level.ConvertControlToContinuous(-5), 0.0);
    level.SetValue(-100);
    EXPECT_EQ(level.GetValue(), 0);

    CPluginControl_OnOff onOff(fourCC('b', 'y', 'p', 'a'), "Bypass", false);
    EXPECT_EQ(onOff.GetValue(), 0);
    EXPECT_EQ(onOff.ConvertContinuousToControl(0.49), 0);
    EXPECT_EQ(onOff.ConvertContinuousToControl(0.5), kControlValueMax);
    onOff.SetValue(kControlValueMax / 2 + 1);
    EXPECT_EQ(onOff.GetValue(), kControlValueMax);
    EXPECT_EQ(onOff.GetContinuousValue(), 1.0);
    PIControlInfo info{};
    onOff.Info(info);
    EXPECT_EQ(info.kind, kPIControlOnOff);
    EXPECT_STREQ(info.name, "Bypass");
}

TEST(HostChunks, KeyValueBodyRoundTripsAndRefusesDamage) {
    KeyValueChunk chunk;
    chunk.Set("Node ID", 42);
    chunk.Set("Other", -7);
    chunk.Set("Node ID", 43);
    const std::vector<unsigned char> body = chunk.Write();
    KeyValueChunk read;
    ASSERT_TRUE(read.Read(body.data(), body.size()));
    EXPECT_EQ(read.Get("Node ID"), 43);
    EXPECT_EQ(read.Get("Other"), -7);
    EXPECT_FALSE(read.Get("OMS Node ID"));
    // Every cut-short body is refused and leaves what was read before.
    for (size_t size = 0; size < body.size(); ++size) EXPECT_FALSE(read.Read(body.data(), size)) << size;
    EXPECT_EQ(read.Get("Node ID"), 43);
    std::vector<unsigned char> huge = body;
    huge[0] = 0xff;  // a count beyond the data
    EXPECT_FALSE(read.Read(huge.data(), huge.size()));
}

TEST(HostMidiNode, BuffersUntilTakenAndDropsWhatDoesNotFit) {
    CEffectMIDIBufferedNode node("Tovin 1", 5);
    EXPECT_FALSE(node.Push({0, {0x90, 60, 100}})) << "inactive nodes take nothing";
    node.Activate();
    for (int i = 0; i < kMidiNodeCapacity + 10; ++i) node.Push({i, {0x90, 60, 100}});
    std::vector<MidiPacket> out(600);
    EXPECT_EQ(node.TakePending(out.data(), 600), 600);
    EXPECT_EQ(out[599].deltaFrames, 599);
    // The rest of that block is gone; the next block starts empty.
    EXPECT_EQ(node.TakePending(out.data(), 600), 0);
    EXPECT_TRUE(node.Push({3, {0x80, 60, 0}}));
    EXPECT_EQ(node.TakePending(out.data(), 600), 1);
    EXPECT_EQ(out[0].bytes[0], 0x80);
}

class MidiProcess : public CEffectProcessMIDI {
public:
    MidiProcess() {
        node_ = NewMIDINode();
        AttachMIDINode(node_.get());
    }
    void RenderAudio(float**, float**, int32_t) override {}
    std::unique_ptr<CEffectMIDIBufferedNode> node_;
    std::vector<int32_t> changed;

protected:
    void UpdateControlValueInAlgorithm(int32_t index) override { changed.push_back(index); }
};

std::vector<unsigned char> midiChunk(const char* key, int32_t id) {
    KeyValueChunk body;
    body.Set(key, id);
    std::vector<unsigned char> bytes(sizeof(ChunkHeader));
    const std::vector<unsigned char> data = body.Write();
    bytes.insert(bytes.end(), data.begin(), data.end());
    const auto total = static_cast<int32_t>(bytes.size());
    std::memcpy(bytes.data(), &total, sizeof(total));
    return bytes;
}

TEST(HostProcess, MidiChunkKeepsTheNodeIdAndReadsEitherKey) {
    MidiProcess process;
    ASSERT_NE(process.FindChunk(kMidiChunkID), nullptr);
    int32_t size = 0;
    ASSERT_EQ(process.GetChunkSize(kMidiChunkID, &size), kNoErr);
    std::vector<unsigned char> saved(static_cast<size_t>(size));
    auto* header = reinterpret_cast<ChunkHeader*>(saved.data());
    process.FillChunkHeader(kMidiChunkID, *header);
    EXPECT_EQ(process.GetChunk(kMidiChunkID, header, size - 1), kErrBufferTooSmall);
    ASSERT_EQ(process.GetChunk(kMidiChunkID, header, size), kNoErr);
    EXPECT_EQ(header->totalSize, size);
    EXPECT_EQ(header->chunkID, kMidiChunkID);

    MidiProcess other;
    ASSERT_NE(other.node_->GetID(), process.node_->GetID());
    ASSERT_EQ(other.SetChunk(kMidiChunkID, header, size), kNoErr);
    EXPECT_EQ(other.node_->GetID(), process.node_->GetID());
    EXPECT_EQ(other.node_->GetReconnections(), 1);
    // The same ID again: nothing to reconnect.
    ASSERT_EQ(other.SetChunk(kMidiChunkID, header, size), kNoErr);
    EXPECT_EQ(other.node_->GetReconnections(), 1);

    std::vector<unsigned char> old = midiChunk("OMS Node ID", 77);
    EXPECT_EQ(other.SetChunk(kMidiChunkID, reinterpret_cast<ChunkHeader*>(old.data()), static_cast<int32_t>(old.size())), kNoErr);
    EXPECT_EQ(other.node_->GetID(), 77);
    std::vector<unsigned char> neither = midiChunk("Port", 3);
    EXPECT_EQ(other.SetChunk(kMidiChunkID, reinterpret_cast<ChunkHeader*>(neither.data()),
                             static_cast<int32_t>(neither.size())),
              kErrMidiChunkNoKey);
    EXPECT_EQ(other.SetChunk(kMidiChunkID, reinterpret_cast<ChunkHeader*>(old.data()),
                             static_cast<int32_t>(old.size()) - 1),
              kErrChunkDamaged);
    EXPECT_EQ(other.node_->GetID(), 77);
    EXPECT_EQ(other.SetChunk(fourCC('x', 'x', 'x', 'x'), header, size), kErrChunkUnknown);
}

TEST(HostProcess, ControlsAreNumberedFromOneAndEveryChangeReachesTheProcess) {
    MidiProcess process;
    EXPECT_EQ(process.AddControl(std::make_unique<CPluginControl_OnOff>(fourCC('b', 'y', 'p', 'a'), "Bypass", false)), 1);
    EXPECT_EQ(process.AddControl(std::make_unique<CPluginControl_LinearLevel>(0, "A", 0.0, 1.0, 0.0001, 0.5)), 2);
    EXPECT_EQ(process.SetControlValue(2, 1000), kNoErr);
    EXPECT_EQ(process.SetControlValue(0, 1000), kErrBadControl);
    EXPECT_EQ(process.SetControlValue(3, 1000), kErrBadControl);
    EXPECT_EQ(process.SetControlValueFromPlugIn(1, kControlValueMax), kNoErr);
    EXPECT_EQ(process.changed, (std::vector<int32_t>{2, 1}));
    int32_t value = 0;
    EXPECT_EQ(process.GetControlValue(2, &value), kNoErr);
    EXPECT_EQ(value, 1000);
}

}  // namespace
}  // namespace hostlib
