#pragma once
// Processes and threads: the walks, the per-process changes and the runtime holds.

namespace tavrine {

class Processes {
public:
    virtual ~Processes() = default;
};

} // namespace tavrine
