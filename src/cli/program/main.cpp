// skerrow-cli: Skerrow's run control without a window, for cron jobs and CI.

#include <string>
#include <vector>

#include "program/CCliProgram.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return skerrow::cli::CCliProgram().Run(args);
}
