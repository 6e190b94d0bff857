#pragma once
// Files, folders and volumes.

namespace tavrine {

class Files {
public:
    virtual ~Files() = default;
};

} // namespace tavrine
