#pragma once

#include <cstddef>

// Memory for an array of megabytes read at random, such as the sums of thousands of
// salespeople's texts looked up deal after deal: where the system has them, it is asked for in
// pages of 2 MB, so that reading it finds the addresses at hand far more often and touching it
// takes a few page faults instead of hundreds. A smaller array is ordinary memory.
void *allocateLarge(std::size_t bytes);
void freeLarge(void *memory, std::size_t bytes);

template <class T> struct LargeArrayAllocator {
    using value_type = T;
    LargeArrayAllocator() = default;
    template <class U> LargeArrayAllocator(const LargeArrayAllocator<U> &) {}
    T *allocate(std::size_t count) { return static_cast<T *>(allocateLarge(count * sizeof(T))); }
    void deallocate(T *memory, std::size_t count) { freeLarge(memory, count * sizeof(T)); }
    template <class U> bool operator==(const LargeArrayAllocator<U> &) const { return true; }
};
