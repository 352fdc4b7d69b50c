#include "bench_files.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
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

std::filesystem::path SparseBenchFile(const char *name, std::int64_t size)
{
    const auto path = BenchFile(name, 0);
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
    return path;
}

namespace {

// Calls scan on each 8 MiB chunk of the file, each after the last keep bytes of the one before.
template<typename Scan>
std::int64_t OverFile(const std::filesystem::path &path, std::size_t keep, Scan scan)
{
    constexpr std::size_t kChunk = 8 << 20;
    std::vector<unsigned char> buffer(kChunk + keep);
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path.string());
    std::int64_t hits = 0;
    std::size_t kept = 0;
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, buffer.data() + kept, kChunk, offset);
        if (got <= 0)
            break;
        const std::size_t filled = kept + static_cast<std::size_t>(got);
        hits += scan(buffer.data(), filled);
        kept = std::min(keep, filled);
        std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
        offset += got;
    }
    ::close(fd);
    return hits;
}

} // namespace

std::int64_t MemmemOverFile(const std::filesystem::path &path, std::string_view needle)
{
    return OverFile(path, needle.size() - 1, [&](const unsigned char *data, std::size_t size) {
        std::int64_t hits = 0;
        for (const unsigned char *at = data, *end = data + size;;) {
            const void *found
                = ::memmem(at, static_cast<std::size_t>(end - at), needle.data(), needle.size());
            if (!found)
                break;
            ++hits;
            at = static_cast<const unsigned char *>(found) + 1;
        }
        return hits;
    });
}

std::int64_t MemchrOverFile(const std::filesystem::path &path, unsigned char byte)
{
    return OverFile(path, 0, [&](const unsigned char *data, std::size_t size) {
        std::int64_t hits = 0;
        for (const unsigned char *at = data, *end = data + size;;) {
            const void *found = std::memchr(at, byte, static_cast<std::size_t>(end - at));
            if (!found)
                break;
            ++hits;
            at = static_cast<const unsigned char *>(found) + 1;
        }
        return hits;
    });
}

std::int64_t PeakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

} // namespace byteloom::bench
