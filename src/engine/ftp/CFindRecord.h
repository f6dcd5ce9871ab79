#pragma once
// One entry of an FTP directory listing, as the FTP walk receives it.

#include <cstdint>
#include <ctime>
#include <string>

namespace skerrow {

inline constexpr uint32_t kFileAttributeDirectory = 0x10;

struct CFindRecord {
    uint32_t attributes = 0;     // kFileAttributeDirectory for a directory
    uint64_t size = 0;           // bytes, 0 when the listing gives none
    std::time_t lastWriteTime = 0; // UTC seconds; 0 when unknown
    std::string name;            // bare name from the listing; the walk puts the full path here
    bool link = false;           // a symbolic link, whatever it points to: never entered
    std::string unique;          // the MLSD "unique" fact (of what a link points to); "" when not given
    bool forged = false;         // the listing around it looks forged (CFtpListParser): never trusted

    bool IsDirectory() const { return (attributes & kFileAttributeDirectory) != 0; }
};

} // namespace skerrow
