// The error a library or plug-in operation raises; the module's entry points turn it into its code, so
// it never crosses into the host.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace hostlib {

class LibraryError : public std::runtime_error {
public:
    explicit LibraryError(int32_t code, const char* what = "host library error")
        : std::runtime_error(what), code_(code) {}
    int32_t code() const { return code_; }

private:
    int32_t code_;
};

}  // namespace hostlib
