#pragma once
// Find Files & Transfer: the files changed since the last upload (or all of them) are listed
// and sent, and the last-upload date is written as the window writes it.

#include "commands/CCliCommand.h"

namespace skerrow::cli {

class CUploadCommand : public CCliCommand {
public:
    using CCliCommand::CCliCommand;
    int Run() override;
};

} // namespace skerrow::cli
