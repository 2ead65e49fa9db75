// AllocationProbe: the largest single request made through operator new while
// a probe lives. The test program replaces the global allocation functions
// (allocation_probe.cpp) to see every request.
#pragma once

#include <cstddef>

namespace tqxml {

class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    size_t Largest() const;
};

} // namespace tqxml
