#include "bench/common/AllocCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> gAllocations{0};
std::atomic<std::size_t> gBytes{0};

void* Counted(std::size_t n) noexcept {
    ++gAllocations;
    gBytes += n;
    return std::malloc(n ? n : 1);
}
}  // namespace

namespace bench {
long long Allocations() { return gAllocations.load(); }
std::size_t AllocatedBytes() { return gBytes.load(); }
}  // namespace bench

void* operator new(std::size_t n) {
    if (void* p = Counted(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Counted(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Counted(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
