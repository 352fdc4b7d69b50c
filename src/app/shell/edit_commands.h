#pragma once

#include <QString>

#include <cstdint>

namespace byteloom {

class CommandHost;

// Undo and Redo, the selection and clipboard commands and Go To. Every rule behind them lives
// in the core.
class EditCommands
{
public:
    explicit EditCommands(CommandHost &host);

private:
    void PutOnClipboard(const QString &text);
    // Bytes that could not be read are never copied as zeros: the reason is shown instead.
    bool ReadFailed();

    CommandHost &host_;
};

} // namespace byteloom
