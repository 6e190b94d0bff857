#include "windows_test_support.h"

#include "engine/primitives.h"
#include "platform/win32/win32_machine.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <system_error>

namespace tavrine::test {

std::string unique_run_name() {
    static std::mt19937_64 generator(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    char name[32];
    std::snprintf(name, sizeof name, "run-%012llx",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFFFull));
    return name;
}

ScratchKey::ScratchKey(Hive hive, const char* parent)
    : hive_(hive), sub_key_(std::string(parent) + "\\TavrineTest\\" + unique_run_name()) {}

ScratchKey::~ScratchKey() {
    // Through the real reg.exe: the machine interface deletes values, never keys.
    const std::string command = "reg delete \"" + path() + "\" /f >nul 2>&1";
    ScopedMachine real(win32_machine());
    run_hidden(command.c_str());
}

std::string ScratchKey::path() const {
    return std::string(hive_prefix(hive_)) + "\\" + sub_key_;
}

RegistryKeyPtr open_real_key(Hive hive, const std::string& sub_key) {
    return win32_machine().registry().open_key(hive, sub_key, KeyAccess::Read);
}

bool key_exists(Hive hive, const std::string& sub_key) {
    return open_real_key(hive, sub_key) != nullptr;
}

std::optional<RegistryValue> read_value(Hive hive, const std::string& sub_key, const char* name) {
    RegistryKeyPtr key = open_real_key(hive, sub_key);
    if (!key) {
        return std::nullopt;
    }
    return key->query_value(name);
}

ScratchFolder::ScratchFolder() : path_(std::filesystem::current_path() / "scratch" / unique_run_name()) {
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

RealMachineTest::RealMachineTest() : scope_(win32_machine()) {}

} // namespace tavrine::test
