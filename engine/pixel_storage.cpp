#include "engine/pixel_storage.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a huge page would be mostly empty, and malloc's own pools serve better.
constexpr std::size_t kMappedFrom = 4 * kHugePage;

#if defined(__linux__)
// 4 KiB on x86-64, but 16 or 64 KiB on some ARM64 systems.
std::size_t page_size()
{
    static const auto size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}
#endif

bool mapped(std::size_t bytes)
{
#if defined(__linux__)
    return bytes >= kMappedFrom;
#else
    (void)bytes;
    return false;
#endif
}

}  // namespace

void* allocate_pixel_storage(std::size_t bytes)
{
    if (!mapped(bytes)) return std::calloc(bytes == 0 ? 1 : bytes, 1);
#if defined(__linux__)
    // Anonymous mappings come zeroed page by page on first touch. Mapping one huge
    // page more and trimming both ends leaves a block that starts on a huge-page boundary.
    if (bytes > SIZE_MAX - 2 * kHugePage) return nullptr;
    // The block ends on a page boundary: the tail trimmed off must start on one.
    const std::size_t block = (bytes + page_size() - 1) & ~(page_size() - 1);
    const std::size_t length = block + kHugePage;
    void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::size_t head = aligned - start;
    if (head != 0) munmap(mapping, head);
    const std::size_t tail = length - head - block;
    if (tail != 0) munmap(reinterpret_cast<void*>(aligned + block), tail);
    // Only advice: where huge pages are switched off the block still works with small pages.
    madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
#else
    return nullptr;
#endif
}

void release_pixel_storage(void* storage, std::size_t bytes)
{
    if (storage == nullptr) return;
    if (!mapped(bytes)) {
        std::free(storage);
        return;
    }
#if defined(__linux__)
    munmap(storage, bytes);
#endif
}

void prefault_pixel_storage(const void* begin, std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const std::uintptr_t page = page_size();
    const auto start = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) & ~(page - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(begin) + bytes;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
    (void)begin;
    (void)bytes;
#endif
}
