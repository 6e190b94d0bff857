// NVIDIA's NVML, loaded at run time when the driver ships it. Only the few entry points used
// are declared here; their shapes are those of NVML's C interface (results: 0 is success).
#include "platform/win32/win32_entry_points.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_sensors.h"

namespace tavrine::win32 {

namespace {

using NvmlDevice = void*;
struct NvmlUtilisation {
    unsigned int gpu;
    unsigned int memory;
};
using NvmlInit = int (*)();
using NvmlShutdown = int (*)();
using NvmlHandleByIndex = int (*)(unsigned int index, NvmlDevice* device);
using NvmlTemperature = int (*)(NvmlDevice device, int sensor, unsigned int* celsius);
using NvmlClockInfo = int (*)(NvmlDevice device, int clock_type, unsigned int* mhz);
using NvmlUtilisationRates = int (*)(NvmlDevice device, NvmlUtilisation* rates);
using NvmlName = int (*)(NvmlDevice device, char* name, unsigned int length);

constexpr int kTemperatureGpu = 0;
constexpr int kClockGraphics = 0;
constexpr int kClockMemory = 2;

// The driver puts the library in System32; older drivers only in their NVSMI folder under
// Program Files. Each by its full path: this runs as administrator, and a library found by
// name could come from the executable's folder.
HMODULE load_nvml() {
    if (HMODULE module = load_system_library("nvml.dll")) {
        return module;
    }
    const std::optional<std::string> program_files = Win32Files().known_folder(KnownFolder::ProgramFiles);
    return program_files ? load_library_at(*program_files + "\\NVIDIA Corporation\\NVSMI\\nvml.dll")
                         : nullptr;
}

class Nvml final : public GpuLibrary {
public:
    Nvml(UniqueModule module, NvmlShutdown shutdown, NvmlDevice device)
        : module_(std::move(module)), shutdown_(shutdown), device_(device) {
        temperature_ = entry_point<NvmlTemperature>(module_.get(), "nvmlDeviceGetTemperature");
        clock_ = entry_point<NvmlClockInfo>(module_.get(), "nvmlDeviceGetClockInfo");
        utilisation_ = entry_point<NvmlUtilisationRates>(module_.get(), "nvmlDeviceGetUtilizationRates");
        name_ = entry_point<NvmlName>(module_.get(), "nvmlDeviceGetName");
    }
    ~Nvml() override {
        if (shutdown_) {
            shutdown_();
        }
    }
    Nvml(const Nvml&) = delete;
    Nvml& operator=(const Nvml&) = delete;

    GpuSample read() override {
        GpuSample sample;
        char name[96] = {};
        if (name_ && name_(device_, name, sizeof name) == 0) {
            name[sizeof name - 1] = '\0';
            sample.name = name;
        }
        unsigned int value = 0;
        if (temperature_ && temperature_(device_, kTemperatureGpu, &value) == 0) {
            sample.temperature_c = static_cast<float>(value);
        }
        if (clock_ && clock_(device_, kClockGraphics, &value) == 0) {
            sample.core_clock_mhz = static_cast<int>(value);
        }
        if (clock_ && clock_(device_, kClockMemory, &value) == 0) {
            sample.memory_clock_mhz = static_cast<int>(value);
        }
        NvmlUtilisation rates{};
        if (utilisation_ && utilisation_(device_, &rates) == 0) {
            sample.load_percent = static_cast<float>(rates.gpu);
        }
        return sample;
    }

private:
    UniqueModule module_; // unloaded after the destructor has called shutdown
    NvmlShutdown shutdown_;
    NvmlDevice device_;
    NvmlTemperature temperature_ = nullptr;
    NvmlClockInfo clock_ = nullptr;
    NvmlUtilisationRates utilisation_ = nullptr;
    NvmlName name_ = nullptr;
};

} // namespace

std::unique_ptr<GpuLibrary> open_nvml_library() {
    UniqueModule module(load_nvml());
    if (!module) {
        return nullptr;
    }
    auto init = entry_point<NvmlInit>(module.get(), "nvmlInit_v2");
    if (!init) {
        init = entry_point<NvmlInit>(module.get(), "nvmlInit");
    }
    auto handle_by_index = entry_point<NvmlHandleByIndex>(module.get(), "nvmlDeviceGetHandleByIndex_v2");
    if (!handle_by_index) {
        handle_by_index = entry_point<NvmlHandleByIndex>(module.get(), "nvmlDeviceGetHandleByIndex");
    }
    const auto shutdown = entry_point<NvmlShutdown>(module.get(), "nvmlShutdown");
    if (!init || init() != 0) {
        return nullptr;
    }
    NvmlDevice device = nullptr;
    if (!handle_by_index || handle_by_index(0, &device) != 0 || device == nullptr) {
        if (shutdown) {
            shutdown();
        }
        return nullptr;
    }
    return std::make_unique<Nvml>(std::move(module), shutdown, device);
}

} // namespace tavrine::win32
