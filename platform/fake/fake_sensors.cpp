#include "platform/fake/fake_sensors.h"

#include "platform/fake/fake_journal.h"

#include <mutex>

namespace tavrine {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

} // namespace

// Base of every fake source: counts itself open until destroyed.
class FakeSensorSource {
public:
    FakeSensorSource(FakeSensors& sensors, std::string name) : sensors_(sensors), name_(std::move(name)) {}
    ~FakeSensorSource() { sensors_.closed(name_); }
    FakeSensorSource(const FakeSensorSource&) = delete;
    FakeSensorSource& operator=(const FakeSensorSource&) = delete;

protected:
    std::recursive_mutex& lock() const { return sensors_.journal_.lock(); }
    FakeSensors& sensors_;

private:
    std::string name_;
};

namespace {

class FakeVideoAdapter final : public VideoAdapter, FakeSensorSource {
public:
    explicit FakeVideoAdapter(FakeSensors& sensors, const std::optional<VideoMemory>& memory,
                              std::string name)
        : FakeSensorSource(sensors, "dxgi"), memory_(memory), name_(std::move(name)) {}
    std::string name() override { return name_; }
    std::optional<VideoMemory> memory() override { return memory_; }

private:
    std::optional<VideoMemory> memory_;
    std::string name_;
};

class FakeGpuLibrary final : public GpuLibrary, FakeSensorSource {
public:
    FakeGpuLibrary(FakeSensors& sensors, std::string name, const std::optional<GpuSample>& sample)
        : FakeSensorSource(sensors, std::move(name)), sample_(sample.value_or(GpuSample{})) {}
    GpuSample read() override { return sample_; }

private:
    GpuSample sample_;
};

class FakeEngineCounter final : public GpuEngineCounter, FakeSensorSource {
public:
    FakeEngineCounter(FakeSensors& sensors, std::vector<EngineUtilisation> values)
        : FakeSensorSource(sensors, "pdh"), values_(std::move(values)) {}
    bool collect() override { return true; }
    std::optional<std::vector<EngineUtilisation>> values() override {
        if (values_.empty()) {
            return std::nullopt;
        }
        return values_;
    }

private:
    std::vector<EngineUtilisation> values_;
};

} // namespace

// Reads the fake's reply under the machine's lock: the ping worker echoes from its own thread.
class FakeIcmpChannel final : public IcmpChannel, FakeSensorSource {
public:
    explicit FakeIcmpChannel(FakeSensors& sensors) : FakeSensorSource(sensors, "icmp") {}
    std::optional<std::uint32_t> echo(std::uint32_t address, std::uint32_t /*timeout_ms*/) override {
        Lock hold(lock());
        sensors_.echoes_.push_back(address);
        return sensors_.icmp_reply_;
    }
};

std::optional<std::vector<ProcessorClock>> FakeSensors::processor_clocks() {
    Lock lock(journal_.lock());
    return clocks_;
}

std::unique_ptr<VideoAdapter> FakeSensors::open_video_adapter() {
    Lock lock(journal_.lock());
    if (!adapter_name_) {
        record("open dxgi failed");
        return nullptr;
    }
    record("open dxgi");
    ++open_;
    return std::make_unique<FakeVideoAdapter>(*this, video_memory_, *adapter_name_);
}

std::unique_ptr<GpuLibrary> FakeSensors::open_nvml() {
    Lock lock(journal_.lock());
    if (!nvml_) {
        record("open nvml failed");
        return nullptr;
    }
    record("open nvml");
    ++open_;
    return std::make_unique<FakeGpuLibrary>(*this, "nvml", nvml_);
}

std::unique_ptr<GpuLibrary> FakeSensors::open_adl() {
    Lock lock(journal_.lock());
    if (!adl_) {
        record("open adl failed");
        return nullptr;
    }
    record("open adl");
    ++open_;
    return std::make_unique<FakeGpuLibrary>(*this, "adl", adl_);
}

std::unique_ptr<GpuEngineCounter> FakeSensors::open_gpu_engine_counter() {
    Lock lock(journal_.lock());
    if (!engines_) {
        record("open pdh failed");
        return nullptr;
    }
    record("open pdh");
    ++open_;
    return std::make_unique<FakeEngineCounter>(*this, *engines_);
}

std::unique_ptr<IcmpChannel> FakeSensors::open_icmp() {
    Lock lock(journal_.lock());
    if (!icmp_available_) {
        record("open icmp failed");
        return nullptr;
    }
    record("open icmp");
    ++open_;
    return std::make_unique<FakeIcmpChannel>(*this);
}

void FakeSensors::set_processor_clocks(std::optional<std::vector<ProcessorClock>> clocks) {
    Lock lock(journal_.lock());
    clocks_ = std::move(clocks);
}

void FakeSensors::set_video_adapter(std::optional<std::string> name, std::optional<VideoMemory> memory) {
    Lock lock(journal_.lock());
    adapter_name_ = std::move(name);
    video_memory_ = memory;
}

void FakeSensors::set_nvml(std::optional<GpuSample> sample) {
    Lock lock(journal_.lock());
    nvml_ = std::move(sample);
}

void FakeSensors::set_adl(std::optional<GpuSample> sample) {
    Lock lock(journal_.lock());
    adl_ = std::move(sample);
}

void FakeSensors::set_engine_counter(std::optional<std::vector<EngineUtilisation>> values) {
    Lock lock(journal_.lock());
    engines_ = std::move(values);
}

void FakeSensors::set_icmp(bool available, std::optional<std::uint32_t> reply_ms) {
    Lock lock(journal_.lock());
    icmp_available_ = available;
    icmp_reply_ = reply_ms;
}

std::vector<std::string> FakeSensors::log() const {
    Lock lock(journal_.lock());
    return log_;
}

int FakeSensors::open_sources() const {
    Lock lock(journal_.lock());
    return open_;
}

std::vector<std::uint32_t> FakeSensors::echoed_addresses() const {
    Lock lock(journal_.lock());
    return echoes_;
}

void FakeSensors::record(std::string line) {
    Lock lock(journal_.lock());
    log_.push_back(std::move(line));
}

void FakeSensors::closed(const std::string& source) {
    Lock lock(journal_.lock());
    log_.push_back("close " + source);
    --open_;
}

} // namespace tavrine
