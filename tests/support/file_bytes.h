#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// The whole content of the file at `path`; empty when it cannot be read.
std::vector<std::uint8_t> read_bytes(const std::string& path);

/// Creates or replaces the file at `path` with `bytes`. Throws std::runtime_error when it cannot.
void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
