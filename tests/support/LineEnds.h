#pragma once
// Line ends as ASCII mode changes them.

#include <string>

namespace skerrow::test {

// Every CR LF pair as a bare LF; a lone CR and a lone LF as they stand.
std::string CrLfToLf(const std::string& text);
// Every LF as CR LF, as the wire carries a text.
std::string LfToCrLf(const std::string& text);

} // namespace skerrow::test
