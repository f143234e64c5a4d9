#include "platform/LargeBlock.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

namespace tervalo::platform {

namespace {

std::size_t pageBytes() {
    static const auto bytes = std::size_t(sysconf(_SC_PAGESIZE));
    return bytes;
}

std::uintptr_t roundUp(std::uintptr_t value, std::size_t unit) {
    return (value + unit - 1) / unit * unit;
}

}  // namespace

void* MapLargeBlock(std::size_t bytes, bool hugePages) {
    const std::size_t length = roundUp(bytes, pageBytes());
    // Mapped with a huge page of slack, then trimmed to an aligned start: the kernel backs only
    // aligned 2 MiB ranges with huge pages.
    const std::size_t reserved = length + kHugePageBytes;
    void* mapped = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundUp(start, kHugePageBytes);
    if (aligned > start) {
        munmap(mapped, aligned - start);
    }
    if (const std::uintptr_t tail = start + reserved - (aligned + length); tail > 0) {
        munmap(reinterpret_cast<void*>(aligned + length), tail);
    }
    auto* block = reinterpret_cast<void*>(aligned);
    if (hugePages) {
        madvise(block, length, MADV_HUGEPAGE);  // a kernel without huge pages keeps small ones
    }
    return block;
}

void UnmapLargeBlock(void* block, std::size_t bytes) noexcept {
    munmap(block, roundUp(bytes, pageBytes()));
}

void ReleaseHugePages(void* begin, std::size_t bytes) noexcept {
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t from = roundUp(start, kHugePageBytes);
    const std::uintptr_t to = (start + bytes) / kHugePageBytes * kHugePageBytes;
    if (to > from) {
        madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    }
}

}  // namespace tervalo::platform
