#pragma once
// The file layer the undo census runs its routines on: the machine's own files, except that a
// folder a routine looks for and does not find is there. A routine that edits a game's
// configuration only where the game keeps it (Fortnite's platform folders) would otherwise
// teach the census nothing on a machine where the game is not installed, or not any more, and
// every earlier run that did edit those files would be refused at its undo.

#include "platform/forwarding.h"

namespace tavrine {

class CensusFiles final : public ForwardingFiles {
public:
    using ForwardingFiles::ForwardingFiles;

    // A missing path whose last name has no dot (a folder, by every name the routines look
    // for) reads as a folder; files keep their own answer.
    std::optional<std::uint32_t> attributes(std::string_view path) override;
};

} // namespace tavrine
