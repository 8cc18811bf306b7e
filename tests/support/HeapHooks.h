#pragma once

// Replaces every plain and array form of the global allocation functions in the test program whose
// one source file includes this header, so that its tests can watch the heap: each allocation and
// each release calls the hook set, if any. Whatever any library allocates is released by the
// matching free; the compiler cannot see that pairing through inlining.

#include <cstdlib>
#include <new>

namespace heap {
inline void (*onAllocate)(void* memory) = nullptr;
inline void (*onRelease)(void* memory) = nullptr;

inline void* allocate(std::size_t size) noexcept {
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (onAllocate != nullptr) {
        onAllocate(memory);
    }
    return memory;
}

inline void release(void* memory) noexcept {
    if (onRelease != nullptr && memory != nullptr) {
        onRelease(memory);
    }
    std::free(memory);
}
}  // namespace heap

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
// clang-format off
void* operator new(std::size_t size) { if (void* p = heap::allocate(size)) return p; throw std::bad_alloc(); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return heap::allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return heap::allocate(size); }
void operator delete(void* memory) noexcept { heap::release(memory); }
void operator delete[](void* memory) noexcept { heap::release(memory); }
void operator delete(void* memory, std::size_t) noexcept { heap::release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { heap::release(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { heap::release(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { heap::release(memory); }
// clang-format on
