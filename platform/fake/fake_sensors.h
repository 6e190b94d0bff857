#pragma once

#include "platform/sensors.h"

#include <map>
#include <string>
#include <vector>

namespace tavrine {

class FakeJournal;

// Sensors a test sets up. Every open is written to the sensor log ("open nvml", "open adl",
// "open pdh", "open dxgi", "open icmp", with " failed" when the source is absent) and every
// close of an opened source too ("close nvml", ...), so a test sees the order sources were
// tried and that all of them were closed again.
class FakeSensors final : public Sensors {
public:
    explicit FakeSensors(FakeJournal& journal) : journal_(journal) {}

    std::optional<std::vector<ProcessorClock>> processor_clocks() override;
    std::unique_ptr<VideoAdapter> open_video_adapter() override;
    std::unique_ptr<GpuLibrary> open_nvml() override;
    std::unique_ptr<GpuLibrary> open_adl() override;
    std::unique_ptr<GpuEngineCounter> open_gpu_engine_counter() override;
    std::unique_ptr<IcmpChannel> open_icmp() override;

    // Set-up: nullopt (the default) for each means the source is absent.
    void set_processor_clocks(std::optional<std::vector<ProcessorClock>> clocks);
    void set_video_adapter(std::optional<std::string> name, std::optional<VideoMemory> memory);
    void set_nvml(std::optional<GpuSample> sample);
    void set_adl(std::optional<GpuSample> sample);
    void set_engine_counter(std::optional<std::vector<EngineUtilisation>> values);
    // The reply the echo gets; `available` false makes IcmpCreateFile fail.
    void set_icmp(bool available, std::optional<std::uint32_t> reply_ms);

    std::vector<std::string> log() const;
    // Sources opened and not yet closed.
    int open_sources() const;
    // Addresses echoed, in order.
    std::vector<std::uint32_t> echoed_addresses() const;

private:
    friend class FakeSensorSource;
    friend class FakeIcmpChannel;
    void record(std::string line);
    void closed(const std::string& source);

    FakeJournal& journal_; // the machine's lock
    std::optional<std::vector<ProcessorClock>> clocks_;
    std::optional<std::string> adapter_name_;
    std::optional<VideoMemory> video_memory_;
    std::optional<GpuSample> nvml_;
    std::optional<GpuSample> adl_;
    std::optional<std::vector<EngineUtilisation>> engines_;
    bool icmp_available_ = false;
    std::optional<std::uint32_t> icmp_reply_;
    std::vector<std::string> log_;
    std::vector<std::uint32_t> echoes_;
    int open_ = 0;
};

} // namespace tavrine
