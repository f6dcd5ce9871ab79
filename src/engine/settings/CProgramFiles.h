#pragma once
// Where the program's own files live, worked out from the path of its executable.
//
// A build tree keeps everything beside the executable: the settings file, the saved list, the
// catalogs and the help books. An installed program (its data directory ../share/skerrow exists
// beside the directory of the executable, as /usr/bin/skerrow has /usr/share/skerrow) cannot
// write there: it reads its catalogs and help books from that data directory and keeps the
// settings file and the saved list in $XDG_CONFIG_HOME/skerrow (~/.config/skerrow when the
// variable is unset or not an absolute path).

#include <filesystem>
#include <string>

namespace skerrow {

class CProgramFiles {
public:
    explicit CProgramFiles(const std::string& executable);

    // True when the executable runs from an installed tree (its data directory exists).
    bool IsInstalled() const;
    // The directory of the catalogs (LangFRA.mo, LangGER.mo) and the help books (skerrow.htb).
    std::filesystem::path DataDir() const;
    // The directory of the settings file and the saved list.
    std::filesystem::path SettingsDir() const;

    // $XDG_CONFIG_HOME/skerrow, else $HOME/.config/skerrow, else the account's home; "" when no
    // home is known.
    static std::filesystem::path UserConfigDir();
    // Makes the directory and any missing parent with mode 0700 (a directory that exists is left
    // as it is); false when it is not a directory afterwards.
    static bool MakePrivateDir(const std::filesystem::path& dir);

private:
    std::filesystem::path InstalledDataDir() const;

    std::filesystem::path m_executable;
};

} // namespace skerrow
