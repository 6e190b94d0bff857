#include "overlays/sensors.h"

#include "overlays/overlays_state.h"
#include "overlays/ping_worker.h"
#include "overlays/sensors_testing.h"
#include "platform/machine.h"
#include "platform/system_state.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string_view>

namespace tavrine {

namespace {

constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;
constexpr std::size_t kGpuNameBytes = 95;

SensorSources& sources() {
    return overlays_state().sensor_sources;
}

std::string clipped_name(std::string name) {
    if (name.size() > kGpuNameBytes) {
        name.resize(kGpuNameBytes);
    }
    return name;
}

void take_sample(SensorReadings& readings, const GpuSample& sample) {
    if (sample.name) {
        readings.gpu_name = clipped_name(*sample.name);
    }
    if (sample.temperature_c) {
        readings.gpu_temperature = *sample.temperature_c;
    }
    if (sample.core_clock_mhz) {
        readings.gpu_core_clock = *sample.core_clock_mhz;
    }
    if (sample.memory_clock_mhz) {
        readings.gpu_memory_clock = *sample.memory_clock_mhz;
    }
    if (sample.load_percent) {
        readings.gpu_load = *sample.load_percent;
    }
}

void poll_video_memory(Sensors& sensors, SensorReadings& readings) {
    SensorSources& s = sources();
    if (!s.adapter_tried) {
        s.adapter_tried = true;
        s.adapter = sensors.open_video_adapter();
        if (s.adapter) {
            readings.gpu_name = clipped_name(s.adapter->name());
        }
    }
    if (!s.adapter) {
        return;
    }
    if (const auto memory = s.adapter->memory()) {
        readings.vram_used_gb = static_cast<float>(static_cast<double>(memory->usage) / kGiB);
        readings.vram_total_gb = static_cast<float>(static_cast<double>(memory->budget) / kGiB);
        readings.vram_total_gb = std::max(readings.vram_total_gb, readings.vram_used_gb);
    }
}

// The PDH engine counters' answer; -1 when there is none. The first collection only primes
// the counters (a rate needs two samples), so it answers with the current load.
double engine_load(Sensors& sensors, const SensorReadings& readings) {
    SensorSources& s = sources();
    if (!s.engines) {
        s.engines = sensors.open_gpu_engine_counter();
        if (!s.engines) {
            return -1;
        }
    }
    s.engines->collect();
    if (!s.engines_primed) {
        s.engines_primed = true;
        return readings.gpu_load;
    }
    const auto values = s.engines->values();
    return values ? busiest_gpu_engine(*values) : -1;
}

} // namespace

SensorReadings& sensor_readings() {
    return overlays_state().sensor_readings;
}

double busiest_gpu_engine(std::span<const EngineUtilisation> engines) {
    double graphics = -1;
    double any = -1;
    for (const EngineUtilisation& engine : engines) {
        if (!engine.valid) {
            continue;
        }
        const std::string_view name = engine.instance;
        if (name.find("engtype_3D") != std::string_view::npos ||
            name.find("engtype_Graphics") != std::string_view::npos) {
            graphics = std::max(graphics, engine.value);
        }
        any = std::max(any, engine.value);
    }
    return graphics >= 0 ? graphics : any;
}

void poll_cpu_and_memory() {
    Machine& machine = current_machine();
    SensorReadings& readings = sensor_readings();
    if (const auto memory = machine.system_state().memory_status()) {
        readings.ram_load = static_cast<float>(memory->load_percent);
        const std::uint64_t used = memory->total_physical_bytes - memory->available_physical_bytes;
        readings.ram_used_gb = static_cast<float>(static_cast<double>(used) / kGiB);
        readings.ram_total_gb = static_cast<float>(static_cast<double>(memory->total_physical_bytes) / kGiB);
    }
    if (const auto times = machine.system_state().system_times()) {
        SystemTimes& previous = sources().previous_times;
        if (const std::optional<float> load = cpu_load(previous, *times)) {
            readings.cpu_load = *load;
        }
        previous = *times;
    }
    if (const auto clocks = machine.sensors().processor_clocks(); clocks && !clocks->empty()) {
        std::uint64_t sum = 0;
        std::uint32_t highest = 0;
        for (const ProcessorClock& clock : *clocks) {
            sum += clock.current_mhz;
            highest = std::max(highest, clock.max_mhz);
        }
        readings.cpu_clock_max = static_cast<int>(highest);
        readings.cpu_clock_now = static_cast<int>(sum / clocks->size());
    }
}

void poll_gpu() {
    Sensors& sensors = current_machine().sensors();
    SensorReadings& readings = sensor_readings();
    SensorSources& s = sources();
    poll_video_memory(sensors, readings);
    if (!s.nvml_tried) {
        s.nvml_tried = true;
        s.nvml = sensors.open_nvml();
    }
    if (s.nvml) {
        take_sample(readings, s.nvml->read());
        readings.gpu_source = "NVML";
        return;
    }
    if (!s.adl_tried) {
        s.adl_tried = true;
        s.adl = sensors.open_adl();
    }
    if (s.adl) {
        take_sample(readings, s.adl->read());
        readings.gpu_source = "ADL";
        return;
    }
    const double load = engine_load(sensors, readings);
    if (load >= 0) {
        readings.gpu_load = static_cast<float>(load);
        readings.gpu_source = "PDH";
    } else {
        readings.gpu_source = "DXGI";
    }
}

void poll_ping() {
    SensorSources& s = sources();
    sensor_readings().ping_ms = s.ping.last_answer();
    s.ping.request(current_machine(), overlays_state().ping_address.load(), kPingTimeoutMs);
}

void close_sensors() {
    SensorSources& s = sources();
    s.ping.stop();
    s.nvml.reset();
    s.nvml_tried = false;
    s.adl.reset();
    s.adl_tried = false;
    s.engines.reset();
    s.engines_primed = false;
    s.adapter.reset();
    s.adapter_tried = false;
}

bool sensors_open() {
    const SensorSources& s = sources();
    return s.adapter_tried || s.nvml_tried || s.adl_tried || s.engines || s.ping.running();
}

void set_ping_address_for_tests(std::uint32_t address) {
    overlays_state().ping_address.store(address);
}

bool wait_for_ping_for_tests() {
    return sources().ping.wait_until_idle(5000);
}

} // namespace tavrine
