#include "bench_files.h"

#include <cstdio>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace byteloom::bench {

namespace {

class BenchFolder
{
public:
    BenchFolder()
    {
        std::random_device random;
        path = std::filesystem::temp_directory_path()
               / ("byteloom-bench-" + std::to_string(random()));
        std::filesystem::create_directories(path);
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
    std::map<std::string, std::filesystem::path> files;
};

BenchFolder &Folder()
{
    static BenchFolder folder;
    return folder;
}

void WriteVariedBytes(const std::filesystem::path &path, std::int64_t size)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path.string());
    std::vector<unsigned char> chunk(1 << 20);
    std::uint32_t state = 12345;
    for (std::int64_t written = 0; written < size;) {
        for (auto &byte : chunk) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<unsigned char>(state >> 24);
        }
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(size - written, static_cast<std::int64_t>(chunk.size())));
        std::fwrite(chunk.data(), 1, count, file);
        written += static_cast<std::int64_t>(count);
    }
    std::fclose(file);
}

} // namespace

std::filesystem::path BenchFile(const char *name, std::int64_t size)
{
    BenchFolder &folder = Folder();
    auto found = folder.files.find(name);
    if (found != folder.files.end())
        return found->second;
    const auto path = folder.path / name;
    WriteVariedBytes(path, size);
    folder.files.emplace(name, path);
    return path;
}

std::int64_t PeakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

} // namespace byteloom::bench
