#include "settings/CRunSettings.h"

#include "settings/CExclusionList.h"
#include "settings/CIniFile.h"
#include "settings/CSettingsFile.h"
#include "settings/CTextSuffixList.h"

namespace skerrow {

CRunSettings CRunSettings::Take(const CViewSettings& view, const std::string& iniPath)
{
    CRunSettings settings;
    static_cast<CViewSettings&>(settings) = view;
    CTextSuffixList suffixes;
    suffixes.LoadFrom(iniPath);
    settings.textSuffixes = suffixes.Suffixes();
    CExclusionList exclusions;
    exclusions.LoadFrom(iniPath);
    settings.exclusions = exclusions.Patterns();
    settings.treeDeleteDir = view.treeDeleteDirGiven.empty()
                                 ? CIniFile::GetString(iniPath, ini::kConfigure, ini::kFtpDirTreeDel, "")
                                 : view.treeDeleteDirGiven;
    return settings;
}

} // namespace skerrow
