#include "settings/CTextSuffixList.h"

#include <cstring>
#include <memory>
#include <new>

#include "settings/CIniFile.h"
#include "settings/CSettingsFile.h"

namespace skerrow {

namespace {

constexpr size_t kBufferStep = 10240;
// Past this many characters the buffer is not grown again: the third read is used as it comes.
constexpr size_t kGrowLimit = 22000;

// Reads the section into a buffer grown in steps while it comes back cut; null when memory ran out.
std::unique_ptr<char[]> ReadSection(const std::string& iniPath, size_t& result)
{
    size_t size = kBufferStep;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
    if (!buffer)
        return nullptr;
    result = CIniFile::GetSectionBuffer(iniPath, ini::kTextSuffices, buffer.get(), size);
    while (result == size - 2 && result < kGrowLimit) {
        buffer.reset();
        size += kBufferStep;
        buffer.reset(new (std::nothrow) char[size]);
        if (!buffer)
            return nullptr;
        result = CIniFile::GetSectionBuffer(iniPath, ini::kTextSuffices, buffer.get(), size);
    }
    return buffer;
}

} // namespace

void CTextSuffixList::Load()
{
    CSettingsFile settings;
    LoadFrom(settings.GetPath(".ini"));
}

void CTextSuffixList::LoadFrom(const std::string& iniPath)
{
    m_suffixes.clear();
    size_t result = 0;
    const std::unique_ptr<char[]> buffer = ReadSection(iniPath, result);
    if (!buffer)
        return;
    if (result == 0) {
        m_suffixes = Defaults();
        return;
    }
    for (const char* entry = buffer.get(); *entry; entry += std::strlen(entry) + 1) {
        const char* equals = std::strchr(entry, '=');
        if (equals && equals > entry)
            m_suffixes.emplace_back(entry, static_cast<size_t>(equals - entry));
        else
            m_suffixes.emplace_back(entry);
    }
}

const std::vector<std::string>& CTextSuffixList::Defaults()
{
    static const std::vector<std::string> defaults = {".bat", ".c",   ".cpp", ".h",  ".hpp",
                                                      ".htm", ".html", ".ini", ".txt"};
    return defaults;
}

} // namespace skerrow
