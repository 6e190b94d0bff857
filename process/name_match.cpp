#include "process/name_match.h"

#include "platform/ascii.h"

#include <algorithm>

namespace tavrine {

std::string lowered_process_name(std::string_view name) {
    return ascii_lowered(name.substr(0, kProcessNameMax));
}

void NameIndex::add(std::span<const char* const> names, std::uint32_t bit) {
    for (const char* name : names) {
        bits_[ascii_lowered(name)] |= bit;
    }
}

std::uint32_t NameIndex::lookup(std::string_view lowered_name) const {
    const auto it = bits_.find(lowered_name);
    return it != bits_.end() ? it->second : 0;
}

void PatternIndex::add(std::span<const char* const> words, std::uint32_t bit) {
    for (const char* word : words) {
        std::string text = ascii_lowered(word);
        if (text.size() < 2) {
            continue; // the pair table needs two letters; every word here has three or more
        }
        const std::size_t pair = pair_of(text[0], text[1]);
        openings_[pair / 64] |= std::uint64_t{1} << (pair % 64);
        shortest_ = shortest_ == 0 ? text.size() : std::min(shortest_, text.size());
        by_first_byte_[static_cast<unsigned char>(text[0])].push_back({std::move(text), bit});
    }
}

std::uint32_t PatternIndex::scan(std::string_view name) const {
    std::uint32_t found = 0;
    if (shortest_ == 0 || name.size() < shortest_) {
        return found;
    }
    for (std::size_t at = 0; at + 1 < name.size(); ++at) {
        const std::size_t pair = pair_of(name[at], name[at + 1]);
        if ((openings_[pair / 64] & (std::uint64_t{1} << (pair % 64))) == 0) {
            continue;
        }
        for (const Word& word : by_first_byte_[static_cast<unsigned char>(name[at])]) {
            // A word that would run past the end of the name does not match here. The first
            // letter already matched; most words part at the second, so no memcmp call.
            const std::size_t length = word.text.size();
            if ((found & word.bit) != 0 || length > name.size() - at) {
                continue;
            }
            std::size_t same = 1;
            while (same < length && name[at + same] == word.text[same]) {
                ++same;
            }
            if (same == length) {
                found |= word.bit;
            }
        }
    }
    return found;
}

} // namespace tavrine
