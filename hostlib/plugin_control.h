// Plug-in controls as the host sees them: an ID, a name, a range on the control's own scale, a default
// and a step, and the current value on the host's int32 scale (settings.h). UI thread.
#pragma once

#include <cstdint>
#include <string>

#include "hostlib/plugin_abi.h"

namespace hostlib {

class CPluginControl {
public:
    CPluginControl(int32_t id, std::string name, double minimum, double maximum, double step, double defaultValue,
                   bool automatable);
    virtual ~CPluginControl() = default;
    CPluginControl(const CPluginControl&) = delete;
    CPluginControl& operator=(const CPluginControl&) = delete;

    virtual PIControlKind kind() const = 0;
    // Monotonic conversions between the control's range and the host scale; out-of-range and NaN
    // inputs are clamped (NaN to the minimum).
    virtual int32_t ConvertContinuousToControl(double continuous) const = 0;
    virtual double ConvertControlToContinuous(int32_t value) const = 0;

    int32_t GetID() const { return id_; }
    const std::string& GetName() const { return name_; }
    double GetMinimum() const { return minimum_; }
    double GetMaximum() const { return maximum_; }
    double GetStep() const { return step_; }
    double GetDefault() const { return default_; }
    bool IsAutomatable() const { return automatable_; }

    int32_t GetValue() const { return value_; }
    void SetValue(int32_t value) { value_ = ConvertContinuousToControl(ConvertControlToContinuous(value)); }
    double GetContinuousValue() const { return ConvertControlToContinuous(value_); }

    void Info(PIControlInfo& info) const;

protected:
    // x on 0.0..1.0 (clamped) to 0..kControlValueMax and back.
    static int32_t normalizedToValue(double x);
    static double valueToNormalized(int32_t value);
    double toNormalized(double continuous) const;

private:
    int32_t id_;
    std::string name_;
    double minimum_;
    double maximum_;
    double step_;
    double default_;
    bool automatable_;
    int32_t value_ = 0;

protected:
    void initialiseValue() { value_ = ConvertContinuousToControl(default_); }
};

// A continuous control, linear over its range.
class CPluginControl_LinearLevel : public CPluginControl {
public:
    CPluginControl_LinearLevel(int32_t id, std::string name, double minimum, double maximum, double step,
                               double defaultValue, bool automatable = true);
    PIControlKind kind() const override { return kPIControlLinear; }
    int32_t ConvertContinuousToControl(double continuous) const override;
    double ConvertControlToContinuous(int32_t value) const override;
};

// An on/off control: continuous 0.0 (off) or 1.0 (on); 0.5 and above counts as on.
class CPluginControl_OnOff : public CPluginControl {
public:
    CPluginControl_OnOff(int32_t id, std::string name, bool defaultOn, bool automatable = true);
    PIControlKind kind() const override { return kPIControlOnOff; }
    int32_t ConvertContinuousToControl(double continuous) const override;
    double ConvertControlToContinuous(int32_t value) const override;
};

}  // namespace hostlib
