#include "settings/CPasswordCodec.h"

#include <cstdio>

namespace skerrow {

namespace {

// The one key byte, the same for every installation.
constexpr unsigned char kKeyByte = 0x5A;
constexpr size_t kGroupWidth = 4;

} // namespace

void CPasswordCodec::Encode(std::string& password) const
{
    std::string stored;
    stored.reserve(password.size() * kGroupWidth);
    for (const char byte : password) {
        char group[8];
        std::snprintf(group, sizeof group, "%04x", static_cast<unsigned>(static_cast<unsigned char>(byte) ^ kKeyByte));
        stored += group;
    }
    password = std::move(stored);
}

void CPasswordCodec::Decode(const std::string& stored, std::string& password) const
{
    password.clear();
    for (size_t at = 0; at < stored.size(); at += kGroupWidth) {
        // A last group shorter than four characters is read with what it has.
        const std::string group = stored.substr(at, kGroupWidth);
        unsigned value = 0;
        // A group that holds no hexadecimal number is left out rather than read as garbage.
        if (std::sscanf(group.c_str(), "%4x", &value) != 1)
            continue;
        password += static_cast<char>(static_cast<unsigned char>(value & 0xFF) ^ kKeyByte);
    }
}

} // namespace skerrow
