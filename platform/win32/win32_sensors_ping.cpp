// ICMP echo through iphlpapi.
#include "platform/win32/win32_sensors.h"

#include <winsock2.h>

#include <iphlpapi.h>

#include <icmpapi.h>

namespace tavrine::win32 {

namespace {

class Icmp final : public IcmpChannel {
public:
    explicit Icmp(HANDLE handle) : handle_(handle) {}
    ~Icmp() override { IcmpCloseHandle(handle_); }
    Icmp(const Icmp&) = delete;
    Icmp& operator=(const Icmp&) = delete;

    std::optional<std::uint32_t> echo(std::uint32_t address, std::uint32_t timeout_ms) override {
        char payload[8];
        for (char& byte : payload) {
            byte = 0x08;
        }
        alignas(8) unsigned char reply[104] = {};
        const DWORD replies =
            IcmpSendEcho(handle_, address, payload, sizeof payload, nullptr, reply, sizeof reply, timeout_ms);
        const auto* first = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply);
        if (replies == 0 || first->Status != IP_SUCCESS) {
            return std::nullopt;
        }
        return first->RoundTripTime;
    }

private:
    HANDLE handle_;
};

} // namespace

std::unique_ptr<IcmpChannel> open_icmp_channel() {
    HANDLE handle = IcmpCreateFile();
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<Icmp>(handle);
}

} // namespace tavrine::win32
