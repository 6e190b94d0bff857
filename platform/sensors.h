#pragma once
// Hardware sensors: processor clocks, the video adapter's memory, the GPU vendors' libraries
// (NVML, AMD ADL), the PDH GPU engine counters and the ICMP echo. Each source is an object
// that holds its library, query or handle while it lives and closes it when destroyed, so the
// HUD can open them lazily and close every one of them when it is switched off. CPU times and
// memory status come from SystemState.
//
// Which source is tried first, how engine counters are combined and when anything is opened
// is the HUD's business (overlays/sensors.h); the backends only answer.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrine {

// One processor's record of CallNtPowerInformation(ProcessorInformation).
struct ProcessorClock {
    std::uint32_t max_mhz = 0;
    std::uint32_t current_mhz = 0;
};

// QueryVideoMemoryInfo (node 0, local segment group), in bytes.
struct VideoMemory {
    std::uint64_t usage = 0;
    std::uint64_t budget = 0;
};

// The first hardware adapter that answers for IDXGIAdapter3, held until destroyed.
class VideoAdapter {
public:
    virtual ~VideoAdapter() = default;
    // The adapter's description in UTF-8, at most 95 bytes.
    virtual std::string name() = 0;
    virtual std::optional<VideoMemory> memory() = 0;
};

// What a vendor library answered in one poll; a call that failed leaves its field empty.
struct GpuSample {
    std::optional<std::string> name;
    std::optional<float> temperature_c;
    std::optional<int> core_clock_mhz;
    std::optional<int> memory_clock_mhz;
    std::optional<float> load_percent;
};

// NVML (device 0) or ADL (adapter 0), loaded and initialised; shut down and unloaded when
// destroyed.
class GpuLibrary {
public:
    virtual ~GpuLibrary() = default;
    virtual GpuSample read() = 0;
};

// One instance of "\GPU Engine(*)\Utilization Percentage".
struct EngineUtilisation {
    std::string instance;
    double value = 0;
    bool valid = false; // the counter's status was 0
};

// The open PDH query with its one counter; closed when destroyed.
class GpuEngineCounter {
public:
    virtual ~GpuEngineCounter() = default;
    // PdhCollectQueryData.
    virtual bool collect() = 0;
    // PdhGetFormattedCounterArrayA (PDH_FMT_DOUBLE); nullopt when it fails or holds no items.
    virtual std::optional<std::vector<EngineUtilisation>> values() = 0;
};

// The ICMP handle; closed when destroyed. Used from one thread at a time.
class IcmpChannel {
public:
    virtual ~IcmpChannel() = default;
    // IcmpSendEcho with 8 payload bytes of 0x08 and a 104-byte reply buffer; the round-trip
    // time of the first reply, nullopt when none arrived within `timeout_ms`. The address is
    // in network order as IPAddr holds it (1.1.1.1 is 0x01010101, 127.0.0.1 is 0x0100007f).
    virtual std::optional<std::uint32_t> echo(std::uint32_t address, std::uint32_t timeout_ms) = 0;
};

class Sensors {
public:
    virtual ~Sensors() = default;
    // GetSystemInfo for the count, then CallNtPowerInformation(ProcessorInformation).
    virtual std::optional<std::vector<ProcessorClock>> processor_clocks() = 0;
    // CreateDXGIFactory1, then the first adapter that is not a software one and answers for
    // IDXGIAdapter3; null when there is none.
    virtual std::unique_ptr<VideoAdapter> open_video_adapter() = 0;
    // "nvml.dll", then the System32 copy, then the NVSMI folder's; init, then device 0. Null
    // when no library loads, init fails or device 0 is unavailable (shut down and unloaded).
    virtual std::unique_ptr<GpuLibrary> open_nvml() = 0;
    // "atiadlxx.dll", else "atiadlxy.dll"; create, then at least one adapter and both
    // Overdrive5 calls. Null otherwise (destroyed and unloaded).
    virtual std::unique_ptr<GpuLibrary> open_adl() = 0;
    // PdhOpenQueryA and PdhAddEnglishCounterA; null when either fails.
    virtual std::unique_ptr<GpuEngineCounter> open_gpu_engine_counter() = 0;
    // IcmpCreateFile; null when it fails.
    virtual std::unique_ptr<IcmpChannel> open_icmp() = 0;
};

} // namespace tavrine
