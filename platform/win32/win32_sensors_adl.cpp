// AMD's ADL, loaded at run time when the driver ships it. Only the few entry points used are
// declared here, with the record layouts they fill (results: 0 is success).
#include "platform/win32/win32_entry_points.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_sensors.h"

#include <cstdlib>

namespace tavrine::win32 {

namespace {

struct AdlTemperature {
    int size;
    int millidegrees;
};
struct AdlActivity {
    int size;
    int engine_clock; // 10 kHz units
    int memory_clock; // 10 kHz units
    int vddc;
    int activity_percent;
    int performance_level;
    int bus_speed;
    int bus_lanes;
    int max_bus_lanes;
    int reserved;
};
static_assert(sizeof(AdlTemperature) == 8 && sizeof(AdlActivity) == 40);

using AdlAllocate = void*(__stdcall*)(int size);
using AdlCreate = int (*)(AdlAllocate allocate, int connected_only);
using AdlDestroy = int (*)();
using AdlAdapterCount = int (*)(int* count);
using AdlTemperatureGet = int (*)(int adapter, int controller, AdlTemperature* record);
using AdlActivityGet = int (*)(int adapter, AdlActivity* record);

void* __stdcall allocate(int size) {
    return std::malloc(static_cast<std::size_t>(size));
}

class Adl final : public GpuLibrary {
public:
    Adl(UniqueModule module, AdlDestroy destroy, AdlTemperatureGet temperature, AdlActivityGet activity)
        : module_(std::move(module)), destroy_(destroy), temperature_(temperature), activity_(activity) {}
    ~Adl() override {
        if (destroy_) {
            destroy_();
        }
    }
    Adl(const Adl&) = delete;
    Adl& operator=(const Adl&) = delete;

    GpuSample read() override {
        GpuSample sample;
        AdlTemperature temperature{sizeof(AdlTemperature), 0};
        if (temperature_(0, 0, &temperature) == 0 && temperature.millidegrees > 0) {
            sample.temperature_c = static_cast<float>(temperature.millidegrees) / 1000.0f;
        }
        AdlActivity activity{};
        activity.size = sizeof activity;
        if (activity_(0, &activity) == 0) {
            if (activity.activity_percent >= 0) {
                sample.load_percent = static_cast<float>(activity.activity_percent);
            }
            if (activity.engine_clock > 0) {
                sample.core_clock_mhz = activity.engine_clock / 100;
            }
            if (activity.memory_clock > 0) {
                sample.memory_clock_mhz = activity.memory_clock / 100;
            }
        }
        return sample;
    }

private:
    UniqueModule module_; // unloaded after the destructor has called destroy
    AdlDestroy destroy_;
    AdlTemperatureGet temperature_;
    AdlActivityGet activity_;
};

} // namespace

std::unique_ptr<GpuLibrary> open_adl_library() {
    UniqueModule module(load_system_library("atiadlxx.dll"));
    if (!module) {
        module.reset(load_system_library("atiadlxy.dll"));
    }
    if (!module) {
        return nullptr;
    }
    const auto create = entry_point<AdlCreate>(module.get(), "ADL_Main_Control_Create");
    const auto destroy = entry_point<AdlDestroy>(module.get(), "ADL_Main_Control_Destroy");
    const auto count = entry_point<AdlAdapterCount>(module.get(), "ADL_Adapter_NumberOfAdapters_Get");
    const auto temperature = entry_point<AdlTemperatureGet>(module.get(), "ADL_Overdrive5_Temperature_Get");
    const auto activity = entry_point<AdlActivityGet>(module.get(), "ADL_Overdrive5_CurrentActivity_Get");
    if (!create || create(allocate, 1) != 0) {
        return nullptr;
    }
    // From here ADL is initialised: the owner destroys it whether or not it is usable.
    auto adl = std::make_unique<Adl>(std::move(module), destroy, temperature, activity);
    int adapters = 0;
    if (!count || count(&adapters) != 0 || adapters < 1 || !temperature || !activity) {
        return nullptr;
    }
    return adl;
}

} // namespace tavrine::win32
