#pragma once
// Figures as the user's language writes them: thousands grouped ("2,049" in English, "2 049" in
// French, "2.049" in German) and a decimal comma where the language has one ("1,5 Mo").

#include <cstdint>
#include <string>

namespace skerrow {

class CNumberText {
public:
    virtual ~CNumberText() = default;

    static std::string Grouped(uint64_t value);
    // value with one digit after the decimal sign.
    static std::string OneDecimal(double value);
};

} // namespace skerrow
