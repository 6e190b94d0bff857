#pragma once
// Puts an object back as its constructor makes it, in place: for the records of process-wide
// state, whose atomics and locks cannot be assigned, and whose members each start from their
// own initialiser, so a member added later is covered without anyone listing it.

#include <memory>

namespace tavrine {

template <class T> void rebuild(T& object) {
    std::destroy_at(&object);
    std::construct_at(&object);
}

} // namespace tavrine
