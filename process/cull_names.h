#pragma once
// Everything the protected test and the cull know about one process name, found with one hash
// lookup and one scan: which fixed lists hold it whole, and which pattern groups occur in it.

#include <cstdint>
#include <string_view>

namespace tavrine {

// Lists that hold the whole name.
inline constexpr std::uint32_t kInProtectedList = 1u << 0;
inline constexpr std::uint32_t kInNeverGuarded = 1u << 1; // helpers the guarded words must not save
inline constexpr std::uint32_t kInBloatList = 1u << 2;
inline constexpr std::uint32_t kInOemList = 1u << 3;
inline constexpr std::uint32_t kInUpdaterList = 1u << 4;
inline constexpr std::uint32_t kInOfficeList = 1u << 5;
inline constexpr std::uint32_t kInCloudSyncList = 1u << 6;
inline constexpr std::uint32_t kIsDocumentEditor = 1u << 7; // an Office editor that may hold unsaved work
inline constexpr std::uint32_t kInSweepNever = 1u << 8;     // never swept: shell, compositor, session

// Pattern groups found in the name.
inline constexpr std::uint32_t kHasGuardedWord = 1u << 0;
inline constexpr std::uint32_t kHasUpdaterWord = 1u << 1;
inline constexpr std::uint32_t kHasSweepWord = 1u << 2;
inline constexpr std::uint32_t kHasHost = 1u << 3;
inline constexpr std::uint32_t kHasBroker = 1u << 4;
inline constexpr std::uint32_t kHasHostCompanion = 1u << 5; // "phone", "widget", "search", ...

struct NameFacts {
    std::uint32_t lists = 0;
    std::uint32_t words = 0;
};

// `lowered_name` is already ASCII-folded.
NameFacts name_facts(std::string_view lowered_name);

// The protected test on facts already gathered: the list first, then the exceptions, then the
// guarded words.
constexpr bool is_protected(const NameFacts& facts) {
    if ((facts.lists & kInProtectedList) != 0) {
        return true;
    }
    if ((facts.lists & kInNeverGuarded) != 0) {
        return false;
    }
    return (facts.words & kHasGuardedWord) != 0;
}

} // namespace tavrine
