#pragma once
// Find Files: lists what the next upload would send; nothing is sent, nothing written. Stopped by
// Ctrl+C, it ends with kExitSomeFailed: the listing may be cut short.

#include "commands/CCliCommand.h"

namespace skerrow::cli {

class CFindCommand : public CCliCommand {
public:
    using CCliCommand::CCliCommand;
    int Run() override;
};

} // namespace skerrow::cli
