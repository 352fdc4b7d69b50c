#pragma once

#include "scripts/command_insert.h"
#include "support/temp_folder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace byteloom::test {

// A folder with a table file "t.tbl" in it, where scripts are run against an image in memory.
class ScriptBench
{
public:
    explicit ScriptBench(const std::string &table, std::int64_t imageSize = 0x1000)
        : image(static_cast<std::size_t>(imageSize), 0xEE)
    {
        WriteText(folder / "t.tbl", table);
    }

    // Plans the scripts (each a text) one after the other against the image.
    CommandScriptPlan Plan(const std::vector<std::string> &scripts)
    {
        std::vector<CommandScriptSource> sources;
        for (std::size_t i = 0; i < scripts.size(); ++i)
            sources.push_back({folder / ("s" + std::to_string(i) + ".txt"), scripts[i]});
        return PlanCommandScripts(RealFileSystem(),
                                  sources,
                                  {folder / "rom.bin", static_cast<std::int64_t>(image.size())});
    }
    // The image after the plan's writes to the open file.
    std::vector<std::uint8_t> Applied(const CommandScriptPlan &plan) const
    {
        std::vector<std::uint8_t> bytes = image;
        for (const PlannedWrite &write : plan.writes)
            if (write.target == 0)
                for (std::size_t i = 0; i < write.length; ++i)
                    bytes[static_cast<std::size_t>(write.offset) + i]
                        = write.fill >= 0 ? static_cast<std::uint8_t>(write.fill)
                                          : plan.bytes[write.start + i];
        return bytes;
    }
    std::vector<std::uint8_t>
    At(const CommandScriptPlan &plan, std::int64_t offset, std::size_t count) const
    {
        const std::vector<std::uint8_t> bytes = Applied(plan);
        return {bytes.begin() + offset,
                bytes.begin() + offset + static_cast<std::ptrdiff_t>(count)};
    }

    TempFolder folder;
    std::vector<std::uint8_t> image;
};

using Bytes = std::vector<std::uint8_t>;

} // namespace byteloom::test
