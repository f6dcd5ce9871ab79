#include "ftp/CSshHostKey.h"

#include <openssl/evp.h>

#include <vector>

namespace skerrow {

CSshHostKey CSshHostKey::FromBlob(const unsigned char* blob, size_t size)
{
    // The blob begins with the type's name as an SSH string: a 4-byte big-endian length, the name.
    if (!blob || size < 4)
        return {};
    const size_t length = (size_t{blob[0]} << 24) | (size_t{blob[1]} << 16) | (size_t{blob[2]} << 8) | blob[3];
    if (length == 0 || length > 64 || 4 + length > size)
        return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    if (EVP_Digest(blob, size, digest, &digestSize, EVP_sha256(), nullptr) != 1)
        return {};
    std::vector<unsigned char> text(4 * ((digestSize + 2) / 3) + 1);
    const int written = EVP_EncodeBlock(text.data(), digest, static_cast<int>(digestSize));
    std::string encoded(reinterpret_cast<const char*>(text.data()), static_cast<size_t>(written));
    while (!encoded.empty() && encoded.back() == '=')
        encoded.pop_back();
    CSshHostKey key;
    key.type.assign(reinterpret_cast<const char*>(blob) + 4, length);
    key.fingerprint = "SHA256:" + encoded;
    return key;
}

CSshHostKey CSshHostKey::FromBase64(const std::string& text)
{
    if (text.empty() || text.size() % 4 != 0 || text.size() > 64 * 1024)
        return {};
    std::vector<unsigned char> blob(text.size() / 4 * 3 + 1);
    const int decoded = EVP_DecodeBlock(blob.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                        static_cast<int>(text.size()));
    if (decoded < 0)
        return {};
    // EVP_DecodeBlock counts the padding's bytes as data.
    size_t size = static_cast<size_t>(decoded);
    for (size_t i = text.size(); i > 0 && text[i - 1] == '=' && size > 0; --i)
        --size;
    return FromBlob(blob.data(), size);
}

} // namespace skerrow
