#pragma once
// For the history folder's checks: what another account's program might do to a folder's
// access list, made with the real security calls.

#include <string>

namespace tavrine::test {

// Adds an entry letting Everyone write in `folder` (children inherit it); false when it fails.
bool grant_everyone_write(const std::string& folder);

} // namespace tavrine::test
