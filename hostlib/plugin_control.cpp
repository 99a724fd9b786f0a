#include "hostlib/plugin_control.h"

#include <cmath>
#include <cstdio>

#include "hostlib/settings.h"

namespace hostlib {

CPluginControl::CPluginControl(int32_t id, std::string name, double minimum, double maximum, double step,
                               double defaultValue, bool automatable)
    : id_(id), name_(std::move(name)), minimum_(minimum), maximum_(maximum > minimum ? maximum : minimum + 1.0),
      step_(step), default_(defaultValue), automatable_(automatable) {}

int32_t CPluginControl::normalizedToValue(double x) {
    if (!(x > 0.0)) return 0;  // also NaN
    if (x >= 1.0) return kControlValueMax;
    return static_cast<int32_t>(std::llround(x * static_cast<double>(kControlValueMax)));
}

double CPluginControl::valueToNormalized(int32_t value) {
    if (value <= 0) return 0.0;
    return static_cast<double>(value) / static_cast<double>(kControlValueMax);
}

double CPluginControl::toNormalized(double continuous) const {
    return (continuous - minimum_) / (maximum_ - minimum_);
}

void CPluginControl::Info(PIControlInfo& info) const {
    info = PIControlInfo{};
    info.id = id_;
    info.kind = kind();
    std::snprintf(info.name, sizeof(info.name), "%s", name_.c_str());
    info.minimum = minimum_;
    info.maximum = maximum_;
    info.step = step_;
    info.defaultValue = default_;
    info.defaultControlValue = ConvertContinuousToControl(default_);
    info.automatable = automatable_ ? 1 : 0;
}

CPluginControl_LinearLevel::CPluginControl_LinearLevel(int32_t id, std::string name, double minimum, double maximum,
                                                       double step, double defaultValue, bool automatable)
    : CPluginControl(id, std::move(name), minimum, maximum, step, defaultValue, automatable) {
    initialiseValue();
}

int32_t CPluginControl_LinearLevel::ConvertContinuousToControl(double continuous) const {
    return normalizedToValue(toNormalized(continuous));
}

double CPluginControl_LinearLevel::ConvertControlToContinuous(int32_t value) const {
    return GetMinimum() + valueToNormalized(value) * (GetMaximum() - GetMinimum());
}

CPluginControl_OnOff::CPluginControl_OnOff(int32_t id, std::string name, bool defaultOn, bool automatable)
    : CPluginControl(id, std::move(name), 0.0, 1.0, 1.0, defaultOn ? 1.0 : 0.0, automatable) {
    initialiseValue();
}

int32_t CPluginControl_OnOff::ConvertContinuousToControl(double continuous) const {
    return continuous >= 0.5 ? kControlValueMax : 0;
}

double CPluginControl_OnOff::ConvertControlToContinuous(int32_t value) const {
    return value >= kControlValueMax / 2 ? 1.0 : 0.0;
}

}  // namespace hostlib
