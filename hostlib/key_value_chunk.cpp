#include "hostlib/key_value_chunk.h"

#include <cstring>

namespace hostlib {
namespace {

constexpr size_t kMaxKeyLength = 255;

void putInt(std::vector<unsigned char>& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(bits >> shift));
}

int32_t getInt(const unsigned char* at) {
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | at[i];
    return static_cast<int32_t>(bits);
}

}  // namespace

void KeyValueChunk::Set(const std::string& key, int32_t value) {
    const std::string stored = key.substr(0, kMaxKeyLength);
    for (auto& entry : entries_)
        if (entry.first == stored) {
            entry.second = value;
            return;
        }
    entries_.emplace_back(stored, value);
}

std::optional<int32_t> KeyValueChunk::Get(const std::string& key) const {
    for (const auto& entry : entries_)
        if (entry.first == key) return entry.second;
    return std::nullopt;
}

std::vector<unsigned char> KeyValueChunk::Write() const {
    std::vector<unsigned char> out;
    putInt(out, static_cast<int32_t>(entries_.size()));
    for (const auto& [key, value] : entries_) {
        out.push_back(static_cast<unsigned char>(key.size()));
        out.insert(out.end(), key.begin(), key.end());
        putInt(out, value);
    }
    return out;
}

bool KeyValueChunk::Read(const unsigned char* data, size_t size) {
    if (data == nullptr || size < 4) return false;
    const int32_t count = getInt(data);
    if (count < 0) return false;
    std::vector<std::pair<std::string, int32_t>> entries;
    size_t at = 4;
    for (int32_t i = 0; i < count; ++i) {
        if (at >= size) return false;
        const size_t length = data[at++];
        if (size - at < length + 4) return false;
        std::string key(reinterpret_cast<const char*>(data + at), length);
        at += length;
        entries.emplace_back(std::move(key), getInt(data + at));
        at += 4;
    }
    entries_ = std::move(entries);
    return true;
}

}  // namespace hostlib
