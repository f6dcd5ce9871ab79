#pragma once
// The rows of a local tree for the benchmark programs, named as the local walk names them: "name"
// at the top, "/dir/name" below.

#include <filesystem>
#include <string>

#include "app/CStringTable.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"

inline void AddSiteRows(skerrow::CTransferList& list, const std::filesystem::path& root)
{
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::string relative = std::filesystem::relative(entry.path(), root).string();
        if (relative.find('/') != std::string::npos)
            relative = "/" + relative;
        list.Insert(list.Count(), skerrow::kKindPcFile, relative,
                    skerrow::FormatText("%u", skerrow::SizeInKb(entry.file_size())));
    }
}
