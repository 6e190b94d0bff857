#pragma once
// Shared pieces for the tests that run against the real machine (the Wine prefix's registry,
// cmd.exe and C: drive). Every key and file a test makes has a name unique to the run, lives
// under a TavrineTest folder of its own, and is removed when the test ends.

#include "platform/machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace tavrine::test {

// A fresh name for this run, e.g. "run-3f9a0c1d7e2b": hex only, so it never spells "usb".
std::string unique_run_name();

// A throwaway key: "<hive prefix>\<parent>\TavrineTest\run-...". Nothing is created up front;
// the whole tree under the name is deleted (reg delete /f) when the object goes.
class ScratchKey {
public:
    ScratchKey(Hive hive, const char* parent);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    Hive hive() const { return hive_; }
    const std::string& sub_key() const { return sub_key_; } // without the hive prefix
    std::string path() const;                               // "HKCU\Software\TavrineTest\run-..."

private:
    Hive hive_;
    std::string sub_key_;
};

// Opened for reading on the real registry; null when the key does not exist.
RegistryKeyPtr open_real_key(Hive hive, const std::string& sub_key);
bool key_exists(Hive hive, const std::string& sub_key);
std::optional<RegistryValue> read_value(Hive hive, const std::string& sub_key, const char* name);

// A throwaway folder under the current folder (C:\tavrine\scratch\run-...), removed at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Every test here runs on the real backend, whatever another test left installed.
class RealMachineTest : public ::testing::Test {
protected:
    RealMachineTest();

private:
    ScopedMachine scope_;
};

} // namespace tavrine::test
