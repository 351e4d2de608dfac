#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace rz {

// Files that a reader must refuse quickly: FIFOs and huge sparse files.

// Makes a FIFO at `path`; fails the test when it cannot.
void MakeFifo(const std::filesystem::path& path);

// Makes a file of `size` bytes that holds no data blocks (a hole).
void MakeSparseFile(const std::filesystem::path& path, uint64_t size);

// Runs `call` on a thread of its own and answers whether it returned within
// `deadline`. When it did not, each FIFO in `fifos` is opened for writing
// and closed again, which frees a reader blocked on it, so a hang fails the
// test instead of stopping the whole program.
bool ReturnsWithin(const std::function<void()>& call, const std::vector<std::filesystem::path>& fifos,
                   std::chrono::milliseconds deadline = std::chrono::seconds(5));

} // namespace rz
