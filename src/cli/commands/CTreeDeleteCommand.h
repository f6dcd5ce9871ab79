#pragma once
// Tree Delete: lists every entry below a server directory and, only when the command line
// says yes, deletes them.

#include "commands/CCliCommand.h"

namespace skerrow::cli {

class CTreeDeleteCommand : public CCliCommand {
public:
    using CCliCommand::CCliCommand;
    int Run() override;
};

} // namespace skerrow::cli
