#include "engine/primitives.h"
#include "platform/registry_path.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

ParsedRegistryPath parsed(const char* path) {
    ParsedRegistryPath out;
    EXPECT_TRUE(parse_registry_path(path, out)) << path;
    return out;
}

TEST(RegistryPath, short_and_long_prefixes_in_any_case_name_the_same_hive) {
    for (const char* path : {"HKLM\\SYSTEM\\Select", "hklm\\SYSTEM\\Select", "HkLm\\SYSTEM\\Select",
                             "HKEY_LOCAL_MACHINE\\SYSTEM\\Select", "hkey_local_machine\\SYSTEM\\Select"}) {
        const ParsedRegistryPath result = parsed(path);
        EXPECT_EQ(result.hive, Hive::LocalMachine) << path;
        EXPECT_EQ(result.sub_key, "SYSTEM\\Select") << path;
    }
    for (const char* path : {"HKCU\\Control Panel\\Mouse", "hkcu\\Control Panel\\Mouse",
                             "HKEY_CURRENT_USER\\Control Panel\\Mouse"}) {
        const ParsedRegistryPath result = parsed(path);
        EXPECT_EQ(result.hive, Hive::CurrentUser) << path;
        EXPECT_EQ(result.sub_key, "Control Panel\\Mouse") << path;
    }
}

TEST(RegistryPath, lower_case_prefix_keeps_the_sub_key_letter_case) {
    EXPECT_EQ(parsed("hklm\\SoftWare\\MiXed").sub_key, "SoftWare\\MiXed");
}

TEST(RegistryPath, default_user_path_resolves_to_hkey_users) {
    const ParsedRegistryPath result = parsed("HKU\\.DEFAULT\\Control Panel\\Mouse");
    EXPECT_EQ(result.hive, Hive::Users);
    EXPECT_EQ(result.sub_key, ".DEFAULT\\Control Panel\\Mouse");
    EXPECT_EQ(parsed("HKEY_USERS\\.DEFAULT\\x").hive, Hive::Users);
}

TEST(RegistryPath, sub_key_points_into_the_callers_text) {
    const char* path = "HKCU\\Software";
    const ParsedRegistryPath result = parsed(path);
    EXPECT_EQ(result.sub_key.data(), path + 5);
}

TEST(RegistryPath, no_prefix_means_local_machine_with_the_whole_text) {
    for (const char* path : {"SYSTEM\\CurrentControlSet", "HKCR\\txtfile", "HKLMX\\a", "HKLM"}) {
        const ParsedRegistryPath result = parsed(path);
        EXPECT_EQ(result.hive, Hive::LocalMachine) << path;
        EXPECT_EQ(result.sub_key, path);
    }
}

TEST(RegistryPath, null_or_empty_path_is_refused_and_leaves_the_output_alone) {
    const char* marker = "untouched";
    ParsedRegistryPath out{Hive::Users, marker};
    EXPECT_FALSE(parse_registry_path(nullptr, out));
    EXPECT_FALSE(parse_registry_path("", out));
    EXPECT_EQ(out.hive, Hive::Users);
    EXPECT_EQ(out.sub_key.data(), marker);
}

using RegistryPathWrites = test::EngineTest;

TEST_F(RegistryPathWrites, empty_or_null_path_touches_nothing) {
    write_dword("", "Value", 1);
    write_dword(nullptr, "Value", 1);
    write_string("", "Value", "x");
    delete_value(nullptr, "Value");
    EXPECT_EQ(fake.registry().key_count(), 0u);
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(RegistryPathWrites, every_spelling_of_a_key_reaches_the_same_key) {
    write_dword("hklm\\SOFTWARE\\Tavrine", "A", 1);
    write_dword("HKEY_LOCAL_MACHINE\\software\\tavrine", "B", 2);
    write_dword("SOFTWARE\\TAVRINE", "C", 3);
    write_string("HKU\\.DEFAULT\\Control Panel\\Mouse", "MouseSpeed", "0");
    EXPECT_EQ(fake.registry().dword("HKLM\\SOFTWARE\\Tavrine", "A"), 1u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SOFTWARE\\Tavrine", "B"), 2u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SOFTWARE\\Tavrine", "C"), 3u);
    EXPECT_EQ(fake.registry().text("HKEY_USERS\\.DEFAULT\\Control Panel\\Mouse", "MouseSpeed"), "0");
    EXPECT_FALSE(fake.registry().has_key("HKCU\\.DEFAULT"));
    EXPECT_EQ(fake.registry().key_count(), 5u); // SOFTWARE, Tavrine, .DEFAULT, Control Panel, Mouse
}

} // namespace
} // namespace tavrine
