#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace byteloom {

class CommandHost;

// Find and Find Next (F3, the toolbar's Search button), and Make Table From Hit after a
// relative hit. The dialog's rules, the pattern, what a hit does and the table it gives live in
// the core.
class FindCommands
{
public:
    explicit FindCommands(CommandHost &host);

private:
    void SearchAndShow(bool fromDialog);
    void MakeTable();

    CommandHost &host_;
    // The last relative hit and the sequence it was found by.
    std::optional<std::int64_t> relativeHit_;
    std::string hitSequence_;
};

} // namespace byteloom
