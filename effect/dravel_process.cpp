// The audio frame: sample rate, block size, MIDI queue and processReplacing in engine-sized pieces.
#include <cstring>

#include "effect/dravel.h"

namespace {

void writeSilence(float** outputs, VstInt32 sampleFrames) {
    if (outputs == nullptr || sampleFrames <= 0) return;
    for (int ch = 0; ch < 2; ++ch)
        if (outputs[ch] != nullptr) std::memset(outputs[ch], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
}

}  // namespace

void CDravel::setSampleRate(float rate) {
    sampleRateChanging_.store(true, std::memory_order_seq_cst);
    AudioEffectX::setSampleRate(rate);
    float copy = rate;
    if (!(copy >= 1.0f)) copy = 1.0f;  // also catches NaN
    if (copy > 1.0e7f) copy = 1.0e7f;  // no host runs above this; keeps every design finite
    sampleRateCopy_.store(copy, std::memory_order_relaxed);
    engine_.setSampleRate(copy);
    sampleRateChanging_.store(false, std::memory_order_seq_cst);
}

void CDravel::resume() {
    AudioEffectX::resume();
    // The sub-block grid starts again with the stream.
    engine_.restartSubBlocks();
}

void CDravel::setBlockSize(VstInt32 size) {
    // Processing does not depend on the host's block size.
    AudioEffectX::setBlockSize(size);
}

void CDravel::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleRateChanging_.load(std::memory_order_seq_cst) || !isConstructed() || inputs == nullptr ||
        inputs[0] == nullptr || outputs == nullptr || outputs[0] == nullptr) {
        // The host's buffers may hold stale audio: never hand them back unprocessed.
        writeSilence(outputs, sampleFrames);
        midiQueue_.clear();
        return;
    }
    const int inputChannels = inputs[1] != nullptr ? 2 : 1;
    const int outputChannels = outputs[1] != nullptr ? 2 : 1;
    inputsInUse_.store(inputChannels, std::memory_order_relaxed);
    outputsInUse_.store(outputChannels, std::memory_order_relaxed);

    // The engine cuts the block at its sub-block grid, which runs on from the previous call: a
    // parameter set before this call takes effect at the first grid boundary at or after its first
    // sample, whatever the host's block sizes (see EqEngine). Steady stretches go several
    // sub-blocks at a time, with the same output.
    int midiNext = 0;
    for (VstInt32 start = 0; start < sampleFrames;) {
        const int piece = sampleFrames - start;
        // The note handler has nothing to do: MIDI has no audible effect.
        while (midiNext < midiQueue_.size() && midiQueue_[midiNext].deltaFrames <= start) ++midiNext;
        const int done = engine_.process(piece, inputs[0] + start, inputChannels == 2 ? inputs[1] + start : nullptr,
                                         outputs[0] + start, outputChannels == 2 ? outputs[1] + start : nullptr,
                                         inputChannels);
        start += done > 0 ? done : piece;
    }
    midiQueue_.clear();
}

VstInt32 CDravel::processEvents(VstEvents* events) {
    if (events == nullptr) return 1;
    // Hosts allocate numEvents entries behind the two the record declares: read them as a list.
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = list[i];
        if (event == nullptr || event->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        if (MidiQueue::isQueued(midi->midiData)) midiQueue_.push(midi->deltaFrames, midi->midiData);
    }
    return 1;
}
