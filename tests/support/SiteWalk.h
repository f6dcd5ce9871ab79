#pragma once
// The names the local upload walk lists for a site (every file, with the exclusion rules given),
// sorted.

#include <filesystem>
#include <string>
#include <vector>

namespace skerrow::test {

std::vector<std::string> WalkSite(const std::filesystem::path& site, const std::vector<std::string>* rules = nullptr);

} // namespace skerrow::test
