// What the host plug-in library's numbers mean in this library: the group, type, chunk and channel
// settings a plug-in passes in, the control value scale, the chunk header, and the error codes. The
// host reads them back through plugin_abi.h; nothing else gives them meaning.
#pragma once

#include <cstdint>

namespace hostlib {

// Four-character codes are built big-endian, as the VST side does.
constexpr int32_t fourCC(char a, char b, char c, char d) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

// Group settings (the group's integer set). 14: the plug-in takes MIDI input from the host.
constexpr int32_t kGroupSettingMidiInput = 14;

// Sample-rate support, a bit set: 2 = 44.1 kHz, 4 = 48 kHz (6: both).
constexpr int32_t kSampleRate44100 = 2;
constexpr int32_t kSampleRate48000 = 4;

// Type properties, reported to the host as a list. 7: the type has a MIDI input node; 8: it has a
// master bypass control; 48: it saves its state in chunks.
constexpr int32_t kTypePropertyMidiNode = 7;
constexpr int32_t kTypePropertyMasterBypass = 8;
constexpr int32_t kTypePropertyChunks = 48;

// Stem formats: channel counts of a type's input and output.
enum class StemFormat : int32_t { Mono = 1, Stereo = 2 };

// The process's channel setting: 2 = both channels of a stereo pair in one render call, 128 = each
// channel on its own (what a mono type does). A new process reports its output channel count.
constexpr int32_t kChannelSettingStereoPair = 2;
constexpr int32_t kChannelSettingPerChannel = 128;

// Control values are int32 from 0 to kControlValueMax; every control converts monotonically between
// that scale and 0.0..1.0 (an on/off control: 0 off, kControlValueMax on, half or more counts as on).
constexpr int32_t kControlValueMax = 0x7fffffff;

// The chunk header in front of every chunk (56 bytes, little-endian fields). totalSize counts the
// header; the library fills the other fields, the process fills totalSize and what follows.
constexpr int32_t kChunkHeaderSize = 56;
constexpr int32_t kChunkHeaderVersion = 1;
constexpr int kChunkNameLength = 28;  // including the terminator
struct ChunkHeader {
    int32_t totalSize;
    int32_t version;         // kChunkHeaderVersion
    int32_t manufacturerID;  // the group's
    int32_t productID;       // the type's
    int32_t typeID;          // the type's
    int32_t chunkID;
    int32_t formatTag;  // the value registered with the chunk (-152 for a plug-in's state); not checked
    char name[kChunkNameLength];
};
static_assert(sizeof(ChunkHeader) == kChunkHeaderSize);

// The MIDI node chunk, a key/value chunk: behind the header, int32 count, then per entry one length
// byte, the key's bytes and an int32 value.
constexpr int32_t kMidiChunkID = fourCC('m', 'i', 'd', 'i');
constexpr const char* kMidiNodeKey = "Node ID";
constexpr const char* kMidiNodeKeyOld = "OMS Node ID";

// Largest block a render call processes in one piece; longer calls are cut into pieces this long.
constexpr int32_t kMaxRenderFrames = 8192;
// Most MIDI events a buffered node holds between two render calls; later ones are dropped.
constexpr int32_t kMidiNodeCapacity = 1024;

// Key event kinds.
constexpr int32_t kKeyDown = 3;
constexpr int32_t kKeyUp = 4;

// Error codes. 0 is success; a positive code is a Windows system error code (window failures).
constexpr int32_t kNoErr = 0;
constexpr int16_t kErrNoGroup = -7003;          // the group factory answered no group
constexpr int32_t kErrChunkUnknown = -7080;     // no chunk with this ID
constexpr int32_t kErrChunkDamaged = -7081;     // too short, or its stored size disagrees with the data
constexpr int32_t kErrMidiChunkNoKey = -7082;   // a MIDI chunk with neither node key
constexpr int32_t kErrBufferTooSmall = -7083;   // the host's buffer cannot hold the chunk; a full MIDI node
constexpr int16_t kErrUnknown = -7401;          // any other failure
constexpr int32_t kErrBadInstance = -7402;      // null or destroyed instance
constexpr int32_t kErrBadControl = -7403;       // no control with this number
constexpr int32_t kErrBadArgument = -7404;      // a null pointer or an index out of range
constexpr int32_t kErrNotOpen = -7405;          // the library was not opened (WinPlugInOpen, NewPlugIn)

}  // namespace hostlib
