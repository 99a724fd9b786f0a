// The fixed-size queue of MIDI events kept between processEvents and the next processReplacing.
#pragma once

#include <array>
#include <cstdint>

class MidiQueue {
public:
    static constexpr int kCapacity = 128;

    struct Event {
        int32_t deltaFrames;
        unsigned char data[3];
    };

    // Returns false (and drops the event) when the queue is full.
    bool push(int32_t deltaFrames, const char* midiData) {
        if (count_ >= kCapacity) return false;
        Event& e = events_[static_cast<std::size_t>(count_++)];
        e.deltaFrames = deltaFrames;
        for (int i = 0; i < 3; ++i) e.data[i] = static_cast<unsigned char>(midiData[i]);
        return true;
    }
    int size() const { return count_; }
    const Event& operator[](int i) const { return events_[static_cast<std::size_t>(i)]; }
    void clear() { count_ = 0; }

    // Whether a message is one the effect keeps: note on, note off, controllers 123 to 127.
    static bool isQueued(const char* midiData) {
        const int status = static_cast<unsigned char>(midiData[0]) & 0xF0;
        if (status == 0x90 || status == 0x80) return true;
        const int controller = static_cast<unsigned char>(midiData[1]);
        return status == 0xB0 && controller >= 123 && controller <= 127;
    }

private:
    std::array<Event, kCapacity> events_{};
    int count_ = 0;
};
