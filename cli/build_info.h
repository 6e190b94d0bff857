#pragma once
// What `tavrine-cli --version` says: the version and the commit the build was configured from.

namespace tavrine {

const char* build_version();
// The short commit id, "unknown" when the build was not made from a git checkout.
const char* build_commit();

} // namespace tavrine
