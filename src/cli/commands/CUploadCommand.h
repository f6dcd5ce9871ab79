#pragma once
// Find Files & Transfer: the files changed since the last upload (or all of them) are listed
// and sent, and the last-upload date is written as the window writes it. With --delete-leftovers
// the server's files that the folder no longer has are listed too, and deleted with --yes.

#include "commands/CCliCommand.h"

namespace skerrow::cli {

class CUploadCommand : public CCliCommand {
public:
    using CCliCommand::CCliCommand;
    int Run() override;

private:
    int RunWithLeftovers();
};

} // namespace skerrow::cli
