#pragma once
// An SSH server's host key as the user sees it: its type and its fingerprint, both written the way
// OpenSSH writes them ("ssh-ed25519", "SHA256:" and the unpadded base64 of the key's SHA-256), so
// that the user can compare them with what `ssh-keygen -l` or the host's own page shows.

#include <cstddef>
#include <string>

namespace skerrow {

struct CSshHostKey {
    std::string type;
    std::string fingerprint;

    bool Empty() const { return fingerprint.empty(); }
    // From the key as the server sends it (the SSH wire form, which starts with its type's name);
    // empty when that cannot be read.
    static CSshHostKey FromBlob(const unsigned char* blob, size_t size);
    // From a key written in base64, as in known_hosts or a .pub file; empty when it cannot be read.
    static CSshHostKey FromBase64(const std::string& text);
};

} // namespace skerrow
