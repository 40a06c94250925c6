#include "base/LargeArrays.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {
constexpr std::size_t hugePage = std::size_t(2) << 20;

std::size_t mappedSize(std::size_t bytes) {
    return (bytes + hugePage - 1) / hugePage * hugePage;
}
} // namespace

void *allocateLarge(std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= hugePage) {
        // Mapped a page longer than asked, then cut to start on a page's boundary.
        const std::size_t size = mappedSize(bytes);
        void *const mapped = mmap(nullptr, size + hugePage, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + hugePage - 1) / hugePage * hugePage;
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (const std::uintptr_t tail = start + hugePage - aligned; tail > 0)
            munmap(reinterpret_cast<void *>(aligned + size), tail);
        // Only advice: without huge pages the memory is the same, in small pages.
        madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<void *>(aligned);
    }
#endif
    if (void *memory = std::malloc(bytes == 0 ? 1 : bytes))
        return memory;
    throw std::bad_alloc();
}

void freeLarge(void *memory, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= hugePage) {
        munmap(memory, mappedSize(bytes));
        return;
    }
#endif
    std::free(memory);
}
