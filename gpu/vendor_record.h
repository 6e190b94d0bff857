#pragma once
// The remembered vendor and its record file "gpu_first.cfg": three lines, the marker 1 (the
// first launch was handled), the vendor code, the adapter name.

#include "gpu/gpu_vendor.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

// The vendor the "GPU profile" step and the deploy apply; Unknown applies every vendor present.
// Set at start-up from the record, by the setup screen and by the Frames page; any thread reads it.
GpuVendor remembered_vendor();
void set_remembered_vendor(GpuVendor vendor);

// The file's text for this vendor and name (the name cut to 95 characters, on one line).
std::string vendor_record_text(GpuVendor vendor, std::string_view adapter_name);
// The vendor to remember from a record's text: only with a non-zero marker and a code 1..3.
std::optional<GpuVendor> remembered_vendor_in(std::string_view record_text);

// True when no record exists, neither ours nor the earlier product's copy.
bool is_first_launch();
// Reads the record once at start-up; a missing or malformed one changes nothing.
void load_remembered_vendor();
// Writes the record whole; false leaves any previous record as it was.
bool save_vendor_record(GpuVendor vendor, std::string_view adapter_name);
// Deletes the record and the earlier product's copy (missing files are fine).
void forget_vendor_record();

// Bumped by every forget_vendor_record. A worker that started before a forget must not write
// the record back afterwards: it saves only while the count is still the one it started with.
unsigned vendor_record_generation();
bool save_vendor_record_if_current(unsigned generation, GpuVendor vendor, std::string_view adapter_name);

} // namespace tavrine
