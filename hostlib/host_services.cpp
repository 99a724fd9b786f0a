#include "hostlib/host_services.h"

#include <atomic>
#include <cstring>

namespace hostlib {
namespace {

PIHostServices services{};
std::atomic<bool> haveServices{false};

template <typename Field>
Field field(Field PIHostServices::*member) {
    if (!haveServices.load(std::memory_order_acquire)) return nullptr;
    return services.*member;
}

}  // namespace

void SetHostServices(const PIHostServices* given) {
    haveServices.store(false, std::memory_order_release);
    services = PIHostServices{};
    if (given != nullptr) {
        // A host built against a shorter record gives fewer functions; the rest keep their defaults.
        const size_t size = given->structSize < sizeof(PIHostServices) ? given->structSize : sizeof(PIHostServices);
        std::memcpy(&services, given, size);
        services.structSize = sizeof(PIHostServices);
        haveServices.store(true, std::memory_order_release);
    }
}

void ShowMessage(const char* caption, const char* text) {
    if (auto show = field(&PIHostServices::showMessage)) return show(services.context, caption, text);
    PlatformMessageBox(caption, text);
}

bool HostTempo(double* bpm) {
    auto tempo = field(&PIHostServices::currentTempo);
    if (tempo == nullptr) return false;
    const double value = tempo(services.context);
    if (!(value > 0.0)) return false;
    *bpm = value;
    return true;
}

uint32_t HostTick() {
    if (auto tick = field(&PIHostServices::hostTick)) return tick(services.context);
    return PlatformTick();
}

void* WindowOfReference(void* reference) {
    if (auto convert = field(&PIHostServices::windowOfReference)) return convert(services.context, reference);
    return reference;
}

void ReportControlEvent(PIInstance* instance, int32_t kind, int32_t control, int32_t value) {
    if (auto report = field(&PIHostServices::controlEvent)) report(services.context, instance, kind, control, value);
}

std::string MidiNodeName(PIInstance* instance, const std::string& fallback) {
    auto name = field(&PIHostServices::midiNodeName);
    if (name == nullptr) return fallback;
    char buffer[64] = {};
    name(services.context, instance, buffer, sizeof(buffer));
    buffer[sizeof(buffer) - 1] = 0;
    return buffer[0] != 0 ? std::string(buffer) : fallback;
}

}  // namespace hostlib
