// The registry primitives against the real registry of the Wine prefix.
#include "engine/primitives.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace tavrine::test {
namespace {

class RealRegistry : public RealMachineTest {};

std::uint32_t dword_of(const RegistryValue& value) {
    std::uint32_t number = 0;
    std::memcpy(&number, value.data.data(), sizeof number);
    return number;
}

TEST_F(RealRegistry, write_dword_creates_every_missing_parent) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    const std::string deep = scratch.sub_key() + "\\One\\Two\\Three";
    ASSERT_FALSE(key_exists(Hive::CurrentUser, scratch.sub_key()));

    write_dword((scratch.path() + "\\One\\Two\\Three").c_str(), "Answer", 0xFFFFFFFFu);

    const auto value = read_value(Hive::CurrentUser, deep, "Answer");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, kRegDword);
    ASSERT_EQ(value->data.size(), 4u);
    EXPECT_EQ(dword_of(*value), 0xFFFFFFFFu);
}

TEST_F(RealRegistry, write_string_stores_reg_sz_with_its_terminating_zero) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    write_string(scratch.path().c_str(), "Zero", "0");
    write_string(scratch.path().c_str(), "ThirtyOne", "31");
    write_string(scratch.path().c_str(), "Empty", "");

    const auto zero = read_value(Hive::CurrentUser, scratch.sub_key(), "Zero");
    const auto thirty_one = read_value(Hive::CurrentUser, scratch.sub_key(), "ThirtyOne");
    const auto empty = read_value(Hive::CurrentUser, scratch.sub_key(), "Empty");
    ASSERT_TRUE(zero && thirty_one && empty);
    EXPECT_EQ(zero->type, kRegSz);
    EXPECT_EQ(zero->data, (std::vector<std::uint8_t>{'0', 0}));
    EXPECT_EQ(thirty_one->type, kRegSz);
    EXPECT_EQ(thirty_one->data, (std::vector<std::uint8_t>{'3', '1', 0}));
    EXPECT_EQ(empty->data, (std::vector<std::uint8_t>{0}));
}

TEST_F(RealRegistry, string_written_by_the_primitive_reads_back_through_reg_exe) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    write_string(scratch.path().c_str(), "KeyboardSpeed", "31");
    const std::string query =
        "reg query \"" + scratch.path() + "\" /v KeyboardSpeed | findstr /c:\"REG_SZ    31\" >nul";
    EXPECT_EQ(run_hidden_exit_code(query.c_str()), 0u);
}

TEST_F(RealRegistry, names_and_strings_in_any_script_are_stored_as_utf16_and_read_back_as_utf8) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    // Key "Zoë 李明", value "Ünï", data "李明 🎮".
    const std::string key = scratch.sub_key() + "\\Zo\xC3\xAB \xE6\x9D\x8E\xE6\x98\x8E";
    const std::string text = "\xE6\x9D\x8E\xE6\x98\x8E \xF0\x9F\x8E\xAE";
    ASSERT_TRUE(write_string(Hive::CurrentUser, key.c_str(), "\xC3\x9Cn\xC3\xAF", text.c_str()));

    const auto value = read_value(Hive::CurrentUser, key, "\xC3\x9Cn\xC3\xAF");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, kRegSz);
    EXPECT_EQ(std::string(value->data.begin(), value->data.end()), text + '\0');
    // What Windows' own tools read: UTF-16 under the same names.
    wchar_t stored[16] = {};
    DWORD size = sizeof stored;
    const std::wstring wide_key =
        std::wstring(scratch.sub_key().begin(), scratch.sub_key().end()) + L"\\Zo\u00EB \u674E\u660E";
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, wide_key.c_str(), L"\u00DCn\u00EF", RRF_RT_REG_SZ, nullptr,
                           stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), L"\u674E\u660E \U0001F3AE");
}

TEST_F(RealRegistry, delete_value_on_a_missing_key_creates_nothing) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    delete_value((scratch.path() + "\\Missing\\Deeper").c_str(), "Anything");
    EXPECT_FALSE(key_exists(Hive::CurrentUser, scratch.sub_key() + "\\Missing\\Deeper"));
    EXPECT_FALSE(key_exists(Hive::CurrentUser, scratch.sub_key()));
}

// RegDeleteKeyA takes a key's values along with it: an undo must never delete what somebody
// put in a key its run created.
TEST_F(RealRegistry, delete_empty_key_deletes_only_a_key_with_nothing_in_it) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    write_dword((scratch.path() + "\\Filled").c_str(), "Mine", 1);
    write_dword((scratch.path() + "\\Empty").c_str(), "Gone", 1);
    delete_value((scratch.path() + "\\Empty").c_str(), "Gone");
    Registry& registry = current_machine().registry();

    EXPECT_FALSE(registry.delete_empty_key(Hive::CurrentUser, scratch.sub_key()));
    EXPECT_FALSE(registry.delete_empty_key(Hive::CurrentUser, scratch.sub_key() + "\\Filled"));
    EXPECT_TRUE(registry.delete_empty_key(Hive::CurrentUser, scratch.sub_key() + "\\Empty"));
    EXPECT_TRUE(read_value(Hive::CurrentUser, scratch.sub_key() + "\\Filled", "Mine").has_value());
    EXPECT_FALSE(key_exists(Hive::CurrentUser, scratch.sub_key() + "\\Empty"));
}

TEST_F(RealRegistry, delete_value_removes_only_the_named_value) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    write_dword(scratch.path().c_str(), "NoLazyMode", 1);
    write_dword(scratch.path().c_str(), "Keep", 2);

    delete_value(scratch.path().c_str(), "NoLazyMode");
    delete_value(scratch.path().c_str(), "NeverThere"); // a missing value is no error

    EXPECT_FALSE(read_value(Hive::CurrentUser, scratch.sub_key(), "NoLazyMode").has_value());
    const auto kept = read_value(Hive::CurrentUser, scratch.sub_key(), "Keep");
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(dword_of(*kept), 2u);
}

TEST_F(RealRegistry, hku_default_path_lands_in_the_default_users_profile) {
    ScratchKey scratch(Hive::Users, ".DEFAULT\\Software");
    write_string(scratch.path().c_str(), "MouseSpeed", "0"); // "HKU\.DEFAULT\Software\..."

    const auto value = read_value(Hive::Users, scratch.sub_key(), "MouseSpeed");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->data, (std::vector<std::uint8_t>{'0', 0}));
    // And it is not a key literally named "HKU" somewhere under HKEY_LOCAL_MACHINE.
    EXPECT_FALSE(key_exists(Hive::LocalMachine, "HKU"));
    const std::string query = "reg query \"HKEY_USERS\\" + scratch.sub_key() + "\" /v MouseSpeed >nul";
    EXPECT_EQ(run_hidden_exit_code(query.c_str()), 0u);
}

TEST_F(RealRegistry, lower_case_and_long_prefixes_reach_the_same_hive_as_the_short_one) {
    ScratchKey scratch(Hive::LocalMachine, "SOFTWARE");
    const std::string rest = scratch.sub_key().substr(std::strlen("SOFTWARE"));

    write_dword(("hklm\\SOFTWARE" + rest + "\\MixedCase").c_str(), "Short", 1);
    write_dword(("HKEY_LOCAL_MACHINE\\SOFTWARE" + rest + "\\MixedCase").c_str(), "Long", 2);
    write_dword(("SOFTWARE" + rest + "\\MixedCase").c_str(), "Bare", 3); // no prefix: HKLM

    const std::string key = scratch.sub_key() + "\\MixedCase";
    EXPECT_TRUE(read_value(Hive::LocalMachine, key, "Short").has_value());
    EXPECT_TRUE(read_value(Hive::LocalMachine, key, "Long").has_value());
    EXPECT_TRUE(read_value(Hive::LocalMachine, key, "Bare").has_value());
    EXPECT_FALSE(key_exists(Hive::LocalMachine, "hklm"));
    EXPECT_FALSE(key_exists(Hive::LocalMachine, "HKEY_LOCAL_MACHINE"));

    // The sub-key keeps the letter case it was written with.
    RegistryKeyPtr parent = open_real_key(Hive::LocalMachine, scratch.sub_key());
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(parent->sub_key_name(0), std::optional<std::string>("MixedCase"));
}

TEST_F(RealRegistry, lower_case_hkcu_prefix_reaches_the_current_user) {
    ScratchKey scratch(Hive::CurrentUser, "Software");
    const std::string rest = scratch.sub_key().substr(std::strlen("Software"));
    write_string(("hkcu\\Software" + rest).c_str(), "Flags", "506");
    const auto value = read_value(Hive::CurrentUser, scratch.sub_key(), "Flags");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, kRegSz);
}

} // namespace
} // namespace tavrine::test
