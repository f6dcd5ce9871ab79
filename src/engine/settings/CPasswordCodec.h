#pragma once
// The stored form of the password: each byte XORed with one fixed key byte, written as four
// lowercase hexadecimal digits ("%04x").

#include <string>

namespace skerrow {

class CPasswordCodec {
public:
    virtual ~CPasswordCodec() = default;
    // Replaces the plain password by its stored form.
    void Encode(std::string& password) const;
    // Empties password and fills it with the plain password of the stored form.
    void Decode(const std::string& stored, std::string& password) const;
};

} // namespace skerrow
