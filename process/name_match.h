#pragma once
// Process-name matching. A name is folded to lower case once (ASCII, as the C library's tolower
// does in the "C" locale) and then looked up whole in a hash index that knows every fixed list
// at once, and scanned once for every pattern word at once. A few hundred names and patterns
// per process stay cheap this way.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavrine {

// A process name as a snapshot gives it: at most 259 characters (a 260-byte buffer).
inline constexpr std::size_t kProcessNameMax = 259;

std::string lowered_process_name(std::string_view name);

// Whole names of several lists; a lookup gives the bits of every list the name is in.
class NameIndex {
public:
    void add(std::span<const char* const> names, std::uint32_t bit);
    std::uint32_t lookup(std::string_view lowered_name) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> bits_;
};

// Pattern words of several groups; a scan gives the bits of every group with a word that
// occurs somewhere in the name. One pass over the name, the words bucketed by first letter.
class PatternIndex {
public:
    void add(std::span<const char* const> words, std::uint32_t bit);
    std::uint32_t scan(std::string_view lowered_name) const;

private:
    struct Word {
        std::string text;
        std::uint32_t bit;
    };
    static std::size_t pair_of(char first, char second) {
        return static_cast<std::size_t>(static_cast<unsigned char>(first)) << 8 |
               static_cast<unsigned char>(second);
    }
    std::array<std::vector<Word>, 256> by_first_byte_;
    // One bit per pair of opening letters of some word: most places in a name start no word,
    // and one bit test says so.
    std::array<std::uint64_t, 65536 / 64> openings_{};
    std::size_t shortest_ = 0;
};

} // namespace tavrine
