#pragma once

#include <cstdint>
#include <filesystem>

namespace byteloom::bench {

// A file of the given size filled with varied bytes, made once per process in a folder that
// is removed at exit. Later calls with the same name return the same file.
[[nodiscard]] std::filesystem::path BenchFile(const char *name, std::int64_t size);

// The process's peak resident memory so far, in bytes.
[[nodiscard]] std::int64_t PeakResidentBytes();

} // namespace byteloom::bench
