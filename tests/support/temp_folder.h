#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom::test {

// A folder of its own for one test, removed with its contents at the end.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    [[nodiscard]] const std::filesystem::path &path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::filesystem::path &name) const
    {
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

// Bytes that differ from position to position, so that misplaced bytes are noticed.
[[nodiscard]] std::vector<std::uint8_t> PatternBytes(std::int64_t size, std::uint32_t seed = 1);
// How many files and folders stand in the folder.
[[nodiscard]] std::size_t EntriesIn(const std::filesystem::path &folder);
void WriteBytes(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes);
[[nodiscard]] std::vector<std::uint8_t> ReadBytes(const std::filesystem::path &path);
void WriteText(const std::filesystem::path &path, std::string_view text);

} // namespace byteloom::test
