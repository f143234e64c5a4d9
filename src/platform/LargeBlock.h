#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace tervalo::platform {

// Memory for buffers that are filled once and grow large (the export's bytes and cell offsets, a
// table's columns and texts). Each block is mapped straight from the kernel, aligned to 2 MiB and
// marked for transparent huge pages where the kernel offers them: filling a hundred megabytes then
// costs some fifty page faults instead of twenty-five thousand, which on a virtual machine is most
// of the time a large load takes. A block goes back to the kernel as a whole when it is freed.
inline constexpr std::size_t kHugePageBytes = std::size_t(2) << 20;

// Throws std::bad_alloc when the kernel refuses. `hugePages` false maps plain pages, for a block that
// may stay mostly empty (a huge page is resident as a whole once touched).
void* MapLargeBlock(std::size_t bytes, bool hugePages = true);
void UnmapLargeBlock(void* block, std::size_t bytes) noexcept;
// Gives the whole huge pages inside [begin, begin + bytes) back to the kernel while the block stays
// mapped: a buffer read once from front to back returns what lies behind the reader.
void ReleaseHugePages(void* begin, std::size_t bytes) noexcept;

// An allocator for vectors that grow large: blocks of at least a huge page come from MapLargeBlock,
// smaller ones from the heap. Elements are default-initialised, so a vector of bytes sized up front
// is not cleared before it is filled.
template <typename T>
struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <typename U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n * sizeof(T) >= kHugePageBytes) {
            return static_cast<T*>(MapLargeBlock(n * sizeof(T)));
        }
        return std::allocator<T>{}.allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n * sizeof(T) >= kHugePageBytes) {
            UnmapLargeBlock(p, n * sizeof(T));
        } else {
            std::allocator<T>{}.deallocate(p, n);
        }
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0) {
            ::new (static_cast<void*>(p)) U;
        } else {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    }

    friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

}  // namespace tervalo::platform
