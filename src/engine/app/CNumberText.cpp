#include "app/CNumberText.h"

#include <cmath>

#include "app/CStringTable.h"

namespace skerrow {

std::string CNumberText::Grouped(uint64_t value)
{
    // Translators: the sign between groups of three digits ("," in English).
    const std::string separator = Tr("N.Thousands", ",");
    const std::string digits = std::to_string(value);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits[i];
    }
    return text;
}

std::string CNumberText::OneDecimal(double value)
{
    const auto tenths = static_cast<uint64_t>(std::llround(std::max(0.0, value) * 10.0));
    // Translators: the decimal sign ("." in English).
    return std::to_string(tenths / 10) + Tr("N.Decimal", ".") + std::to_string(tenths % 10);
}

} // namespace skerrow
