#pragma once

namespace byteloom {

class CommandHost;

// Find and Find Next (F3, the toolbar's Search button). The dialog's rules, the pattern and
// what a hit does live in the core.
class FindCommands
{
public:
    explicit FindCommands(CommandHost &host);

private:
    void SearchAndShow(bool fromDialog);

    CommandHost &host_;
};

} // namespace byteloom
