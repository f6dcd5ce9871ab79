#pragma once
// The stored form of the FTP directory whose tree is deleted (Configure/FTPDirTreeDel).

#include <string>

namespace skerrow {

// Leading white space removed; one leading "/" dropped when more follows; every "\" made "/";
// runs of "/" collapsed to one; an empty result becomes "/".
std::string NormaliseTreeDeletePath(const std::string& typed);

} // namespace skerrow
