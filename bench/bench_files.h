#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace byteloom::bench {

// A file of the given size filled with varied bytes, made once per process in a folder that
// is removed at exit. Later calls with the same name return the same file.
[[nodiscard]] std::filesystem::path BenchFile(const char *name, std::int64_t size);

// A sparse file of the given size: its length only, no bytes on the disk.
[[nodiscard]] std::filesystem::path SparseBenchFile(const char *name, std::int64_t size);

// The C library's scans over a file read the way the engines read it, 8 MiB at a time: memmem
// for needle, and memchr for byte taken up again after each hit, so that it runs over every
// byte. Each returns its number of hits, so that the work cannot be left out.
std::int64_t MemmemOverFile(const std::filesystem::path &path, std::string_view needle);
std::int64_t MemchrOverFile(const std::filesystem::path &path, unsigned char byte);

// The process's peak resident memory so far, in bytes.
[[nodiscard]] std::int64_t PeakResidentBytes();

} // namespace byteloom::bench
