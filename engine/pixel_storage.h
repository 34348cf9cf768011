#pragma once

#include <cstddef>

/// Zeroed storage for a photo's pixels, or nullptr when the system has none to give.
/// A new photo's first write costs a page fault per page; for blocks of several
/// megabytes the storage is aligned to 2 MiB and offered to the kernel for huge
/// pages, which turns a 24-megapixel photo's 24,000 faults into fewer than 50.
void* allocate_pixel_storage(std::size_t bytes);

/// Gives back storage from allocate_pixel_storage; `bytes` is the size asked for.
void release_pixel_storage(void* storage, std::size_t bytes);

/// Maps the pages of [begin, begin + bytes) for writing without touching their contents,
/// so that whoever writes them next takes no page faults; safe while another thread
/// writes the same storage. Does nothing where the system cannot (before Linux 5.14).
void prefault_pixel_storage(const void* begin, std::size_t bytes);
