#include "cli/cli_gpu.h"

#include "cli/cli_exit_codes.h"
#include "gpu/display_adapters.h"
#include "gpu/vendor_record.h"
#include "platform/ascii.h"
#include "platform/recording/recording_machine.h"
#include "runs/gpu_setup.h"
#include "tweaks/frames.h"
#include "tweaks/gpu_vendor.h"

#include <optional>
#include <ostream>

namespace tavrine {

namespace {

constexpr const char* kUsage = "usage: tavrine-cli plan|apply gpu [--vendor auto|nvidia|amd|intel]\n";

// What the profile is applied for, in words: the vendor, or what "every vendor present" means here.
std::string vendor_words(GpuVendor vendor, bool remembered) {
    if (is_known_vendor(vendor)) {
        return std::string(vendor_short_name(vendor)) + (remembered ? " (remembered)" : "");
    }
    const int present = classify_adapters().presence_mask;
    std::string found;
    for (GpuVendor each : {GpuVendor::Nvidia, GpuVendor::Amd, GpuVendor::Intel}) {
        if ((present & vendor_bit(each)) != 0) {
            found += (found.empty() ? "" : ", ") + std::string(vendor_short_name(each));
        }
    }
    return "every vendor present (" + (found.empty() ? std::string("none recognised: NVIDIA") : found) + ")";
}

int plan(GpuVendor vendor, bool remembered, std::ostream& out) {
    RecordingMachine recorder(current_machine());
    ScopedMachine scope(recorder);
    out << "# plan for the GPU profile, vendor " << vendor_words(vendor, remembered)
        << "; nothing below has been changed\n";
    out << "# [1/2] GPU profile\n";
    apply_gpu_vendor_profile(vendor);
    std::vector<std::string> lines = recorder.lines();
    for (const std::string& line : lines) {
        out << line << "\n";
    }
    out << "# [2/2] HAGS\n";
    apply_hags();
    const std::vector<std::string> all = recorder.lines();
    for (std::size_t i = lines.size(); i < all.size(); ++i) {
        out << all[i] << "\n";
    }
    return 0;
}

} // namespace

bool is_gpu_command(const std::vector<std::string>& args) {
    return args.size() >= 2 && (args[0] == "plan" || args[0] == "apply") && iequals(args[1], "gpu");
}

int run_gpu_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<GpuVendor> chosen;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--vendor" && i + 1 < args.size() && (chosen = vendor_from_choice_name(args[i + 1]))) {
            ++i;
            continue;
        }
        err << "tavrine-cli: unexpected argument \"" << args[i] << "\"\n" << kUsage;
        return kCliUsageError;
    }
    load_remembered_vendor();
    const bool automatic = !chosen || *chosen == GpuVendor::Unknown;
    const GpuVendor vendor = automatic ? remembered_vendor() : *chosen;
    const bool remembered = automatic && is_known_vendor(vendor);
    if (args[0] == "plan") {
        return plan(vendor, remembered, out);
    }
    if (!current_machine().security().is_elevated()) {
        err << "tavrine-cli apply changes machine-wide settings and needs administrator rights.\n"
               "Run it from an elevated prompt (Run as administrator).\n";
        return kCliUsageError;
    }
    const std::string words = vendor_words(vendor, remembered);
    apply_gpu_tune(vendor);
    out << "GPU profile applied for " << words << ", with hardware GPU scheduling\n";
    return 0;
}

} // namespace tavrine
