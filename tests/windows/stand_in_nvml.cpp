// A stand-in for NVIDIA's nvml.dll: the entry points the HUD calls, answering fixed readings
// for one device, so the Windows tests can load a vendor library the way the driver ships it.
#include <cstring>

namespace {

int device_token = 0;

} // namespace

extern "C" {

struct StandInUtilisation {
    unsigned int gpu;
    unsigned int memory;
};

__declspec(dllexport) int nvmlInit_v2() {
    return 0;
}

__declspec(dllexport) int nvmlShutdown() {
    return 0;
}

__declspec(dllexport) int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** device) {
    if (index != 0 || device == nullptr) {
        return 2; // NVML_ERROR_INVALID_ARGUMENT
    }
    *device = &device_token;
    return 0;
}

__declspec(dllexport) int nvmlDeviceGetTemperature(void* /*device*/, int sensor, unsigned int* celsius) {
    if (sensor != 0) {
        return 2;
    }
    *celsius = 66;
    return 0;
}

__declspec(dllexport) int nvmlDeviceGetClockInfo(void* /*device*/, int type, unsigned int* mhz) {
    *mhz = type == 0 ? 1710u : type == 2 ? 7000u : 0u;
    return 0;
}

__declspec(dllexport) int nvmlDeviceGetUtilizationRates(void* /*device*/, StandInUtilisation* rates) {
    rates->gpu = 44;
    rates->memory = 12;
    return 0;
}

__declspec(dllexport) int nvmlDeviceGetName(void* /*device*/, char* name, unsigned int length) {
    const char text[] = "Stand-in GPU";
    if (length < sizeof text) {
        return 7; // NVML_ERROR_INSUFFICIENT_SIZE
    }
    std::memcpy(name, text, sizeof text);
    return 0;
}

} // extern "C"
