// GPU engine utilisation from the performance counters, for GPUs without a vendor library.
// The ANSI calls are kept: ASCII by construction, the counter path is the program's own
// English literal and the instance names are "pid_<n>_luid_<hex>_phys_<n>_eng_<n>_engtype_<name>".
#include "platform/win32/win32_sensors.h"

#include <windows.h>

#include <pdh.h>
#include <pdhmsg.h>

namespace tavrine::win32 {

namespace {

class PdhEngineCounter final : public GpuEngineCounter {
public:
    PdhEngineCounter(PDH_HQUERY query, PDH_HCOUNTER counter) : query_(query), counter_(counter) {}
    ~PdhEngineCounter() override { PdhCloseQuery(query_); }
    PdhEngineCounter(const PdhEngineCounter&) = delete;
    PdhEngineCounter& operator=(const PdhEngineCounter&) = delete;

    bool collect() override { return PdhCollectQueryData(query_) == ERROR_SUCCESS; }

    std::optional<std::vector<EngineUtilisation>> values() override {
        DWORD size = 0;
        DWORD count = 0;
        if (PdhGetFormattedCounterArrayA(counter_, PDH_FMT_DOUBLE, &size, &count, nullptr) !=
                static_cast<PDH_STATUS>(PDH_MORE_DATA) ||
            size == 0) {
            return std::nullopt;
        }
        // Names live in the same buffer after the items; keep it aligned for the items.
        std::vector<PDH_FMT_COUNTERVALUE_ITEM_A> buffer(size / sizeof(PDH_FMT_COUNTERVALUE_ITEM_A) + 1);
        if (PdhGetFormattedCounterArrayA(counter_, PDH_FMT_DOUBLE, &size, &count, buffer.data()) !=
                ERROR_SUCCESS ||
            count == 0) {
            return std::nullopt;
        }
        std::vector<EngineUtilisation> values;
        values.reserve(count);
        for (DWORD i = 0; i < count; ++i) {
            const PDH_FMT_COUNTERVALUE_ITEM_A& item = buffer[i];
            values.push_back({item.szName ? item.szName : "", item.FmtValue.doubleValue,
                              item.FmtValue.CStatus == ERROR_SUCCESS});
        }
        return values;
    }

private:
    PDH_HQUERY query_;
    PDH_HCOUNTER counter_;
};

} // namespace

std::unique_ptr<GpuEngineCounter> open_pdh_engine_counter() {
    PDH_HQUERY query = nullptr;
    if (PdhOpenQueryA(nullptr, 0, &query) != ERROR_SUCCESS) {
        return nullptr;
    }
    PDH_HCOUNTER counter = nullptr;
    if (PdhAddEnglishCounterA(query, "\\GPU Engine(*)\\Utilization Percentage", 0, &counter) !=
        ERROR_SUCCESS) {
        PdhCloseQuery(query);
        return nullptr;
    }
    return std::make_unique<PdhEngineCounter>(query, counter);
}

} // namespace tavrine::win32
