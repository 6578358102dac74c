// Heap use of a benchmark: every operator new of the process is counted, so a
// benchmark reads the counters before and after the work it measures.
#pragma once

#include <cstddef>

namespace bench {
long long Allocations();
std::size_t AllocatedBytes();
}  // namespace bench
