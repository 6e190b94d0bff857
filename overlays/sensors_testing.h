#pragma once
// For tests only: where the ping goes. The product always pings kPingAddress; tests point the
// echo at the loopback address so no test sends a packet off the machine.

#include <cstdint>

namespace tavrine {

void set_ping_address_for_tests(std::uint32_t address);
// Waits until no echo is in flight (up to 5 s); false if one still is.
bool wait_for_ping_for_tests();

} // namespace tavrine
