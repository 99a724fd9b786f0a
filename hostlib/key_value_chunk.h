// A chunk body of named int32 values (layout in settings.h), written and read within bounds. Any
// thread; no shared state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hostlib {

class KeyValueChunk {
public:
    void Set(const std::string& key, int32_t value);
    std::optional<int32_t> Get(const std::string& key) const;

    // The body's bytes (count, then the entries); keys longer than 255 bytes are cut.
    std::vector<unsigned char> Write() const;
    // False for a body that is cut short or whose count does not match its entries; *this unchanged.
    bool Read(const unsigned char* data, size_t size);

private:
    std::vector<std::pair<std::string, int32_t>> entries_;
};

}  // namespace hostlib
