#pragma once

namespace byteloom {

class CommandHost;
class ComparePanel;

// The tools every hex editor has: Compare With (a second file beside the document, with Next
// and Previous Difference), Checksum and Check Header. Their rules are the core's.
class InspectCommands
{
public:
    explicit InspectCommands(CommandHost &host);
    ~InspectCommands();
    InspectCommands(const InspectCommands &) = delete;
    InspectCommands &operator=(const InspectCommands &) = delete;

    // The document changed: the comparison follows it.
    void DocumentChanged();
    [[nodiscard]] ComparePanel *Compare() const { return compare_; }

private:
    void CompareWith();
    void StepDifference(bool forward);
    void DifferenceCommandsFollow();

    CommandHost &host_;
    ComparePanel *compare_ = nullptr;
};

} // namespace byteloom
