// Feeds arbitrary bytes to the saved-list reader: it must never crash or read past its input, and
// what it reads must survive being written and read again (the Errors text with its line breaks and
// tabs escaped, byte for byte).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "list/CSavedListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using skerrow::CSavedListFile;
    using skerrow::CTransferRow;
    int runState = 0;
    std::vector<CTransferRow> rows;
    CSavedListFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size), runState, rows);
    for (const CTransferRow& row : rows) {
        for (const std::string* text : {&row.name, &row.size}) {
            if (text->find_first_of(std::string_view("\t\n\0", 3)) != std::string::npos)
                std::abort();
        }
    }
    int again = 0;
    std::vector<CTransferRow> reread;
    CSavedListFile::Parse(CSavedListFile::Format(runState, rows), again, reread);
    if (again != runState || reread.size() != rows.size())
        std::abort();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (reread[i].error != rows[i].error)
            std::abort();
    }
    return 0;
}
