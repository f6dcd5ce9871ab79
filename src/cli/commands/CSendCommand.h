#pragma once
// Open and Transfer/Delete: the rows of a saved list that are not Done are sent.

#include "commands/CCliCommand.h"

namespace skerrow::cli {

class CSendCommand : public CCliCommand {
public:
    using CCliCommand::CCliCommand;
    int Run() override;
};

} // namespace skerrow::cli
