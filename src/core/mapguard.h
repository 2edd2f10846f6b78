#pragma once
// A read through a memory mapping of a file faults with SIGBUS when another
// program has cut the file short meanwhile, which ends the process. While a
// MapGuard lives, such a fault inside its range is answered with zeroed
// memory instead, and damaged() tells the reader that what it read there is
// not the file, so that it can fail with a clear error and the process (and
// whatever the user has not saved) lives on. Faults outside every guarded
// range end the process as before.

#include <cstddef>

namespace navora {

class MapGuard {
public:
    // Guards [begin, begin + length). When every guard slot is taken the
    // range goes unguarded (active() is false).
    MapGuard(const void* begin, std::size_t length);
    ~MapGuard();
    MapGuard(const MapGuard&) = delete;
    MapGuard& operator=(const MapGuard&) = delete;

    bool active() const { return slot_ >= 0; }
    // A read inside the range faulted: part of it reads as zeros now.
    bool damaged() const;

private:
    int slot_ = -1;
};

}  // namespace navora
