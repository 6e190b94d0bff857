#pragma once
// The vendor driver profile: per-adapter driver values, global driver values, services,
// helper processes and scheduled tasks for NVIDIA, AMD or Intel graphics, and message-signalled
// interrupts for the graphics devices on the PCI bus.

#include "gpu/gpu_vendor.h"

namespace tavrine {

// Unknown applies every vendor present (NVIDIA when none is recognised); every call ends
// with the MSI walk.
void apply_gpu_vendor_profile(GpuVendor vendor);

void apply_nvidia_profile();
void apply_amd_profile();
void apply_intel_profile();
void apply_gpu_msi_mode();

// The "GPU profile" step: the profile of the remembered vendor.
void apply_gpu_profile_step();

} // namespace tavrine
