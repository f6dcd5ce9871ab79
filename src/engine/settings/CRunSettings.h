#pragma once
// What one run works from: the settings as they were when it started. Every key a pass uses is in
// here, so no settings file is read during a run, and a change made meanwhile (the Properties
// dialog, another run's date) never reaches a run half way.

#include <string>
#include <vector>

#include "settings/CViewSettings.h"

namespace skerrow {

struct CRunSettings : CViewSettings {
    std::vector<std::string> textSuffixes; // TextSuffices, with their dots
    std::vector<std::string> exclusions;   // Exclusions
    std::string treeDeleteDir;             // treeDeleteDirGiven, else Configure/FTPDirTreeDel as stored

    // The view's cache, with the rest read now from the settings file at iniPath.
    static CRunSettings Take(const CViewSettings& view, const std::string& iniPath);
};

} // namespace skerrow
