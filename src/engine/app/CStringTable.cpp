#include "app/CStringTable.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace skerrow {
namespace {

struct Entry {
    const char* key;
    const char* english;
};

// xgettext: keyword S:1c,2
#define S(key, english) {key, english}

// The built-in string table, by numeric id.
const Entry kStringTable[] = {
    S("128", "Skerrow\n\nSkerr\n\n\nSkerrow.Document\nSkerr Document"),
    S("57344", "Skerrow"),
    S("57345", "Ready"),
    S("57346", "The file has been saved succesfully"),
    S("57347", "Failed to store data, not enougth memory.\nTry  \nrestaring Windows"),
    S("57348", "Failed to delete the text file suffix"),
    S("57606", "The file could not be opened."),
    S("57638", "Select the \"PC Web Site\" Directory"),
    S("57646", "You are already connected to an FTP server. Disconnect?"),
    S("57647", "Please confirm that these files are to be deleted."),
    S("57648", "No Files have been found."),
    S("61191", "%Y\\%m\\%d %H:%M"),
    S("61192", "%04d%c%02d%c%02d%c%02d%c%02d"),
    S("61204", "The FTP Connection has not been set"),
    S("61205", "No files have been found!\nAre you sure any modifications have been done since the last "
               "upload?\n\nTry setting the program to search for all files and re running."),
    S("61593", "An incorrect date has been specified.\nPlease  \ncorrect."),
    S("61700", "Failed to create empty document."),
    S("61714", "Please enter an integer between %1 and %2."),
    S("61719", "Please enter a positive integer."),
    S("32775", "Warning. You are still connected to the FTP  \nserver.\nA Transfer/deletion  may not have "
               "finished.\nAre you sure you want to  \nquit?"),
    S("32789", "Status"),
    S("32791", "File name"),
    S("32793", "Size KB"),
    S("32794", "Finished"),
    S("32795", "Too many errors, Transfer stopped"),
    S("32796", "Loading File"),
    S("32804", "Errors"),
    S("32805", "Connecting . . ."),
    S("32807", "Deleting:- %s"),
    S("32808", "Transfer Stopped"),
    S("32809", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"),
    S("32810", "Finding Files"),
    S("32811", "Stopping FTP Activity"),
    S("32812", "Closing FTP Connection"),
    S("32813", "Extensions"),
    S("59143", "Transmission failure, %d errors have been found."),
    S("59137", "CAP"),
    S("59138", "NUM"),
    S("59139", "SCRL"),
    S("59142", "PERC"),
    // Prompts and tooltips of the commands: prompt, "\n", tooltip.
    S("57600", "Start a New Transfer\nNew Transfer"),
    S("57601", "Open an existing document\nOpen"),
    S("57603", "Save the active document\nSave"),
    S("32799", "Connect to the FTP server\nConnect"),
    S("32800", "Shutdown the  connection to the FTP  server\nShutdown Connection"),
    S("32801", "Configuration"),
    S("57665", "Quit the application; prompts to save documents\nExit"),
    S("59392", "Show or hide the toolbar\nToggle ToolBar"),
    S("59393", "Show or hide the status bar\nToggle StatusBar"),
    S("32830", "Show or hide the log of the commands sent and the server's replies\nLog"),
    S("32832", "Selects the next row that failed\nNext failed row"),
    S("32833", "Selects the previous row that failed\nPrevious failed row"),
    S("32788", "Re set the transfer state\nRe-set"),
    S("32771", "Start a New Transfer\nNew Transfer"),
    S("32772", "Finds all the files to transfer\nFind"),
    S("32831", "Finds the changed files, then the server files that are no longer in the PC folder\nFind leftovers"),
    S("32773", "Transfer/Delete the currently selected  \nfiles\nTransfer/Delete"),
    S("32792", "Find files for Tree Deleting an FTP Directory  \nPath\nDelete"),
    S("32774", "Stop the File Transfer\nStop"),
    S("32823", "Default Lanuage\nDefault"),
    S("32824", "English\nEnglish"),
    S("32825", "French\nfrench"),
    S("32806", "German\nGerman"),
    S("57664", "Display program information, version number and  \ncopyright\nAbout"),
};

#undef S

// Translations from the loaded catalog: "key\x04english" -> translated text.
std::shared_mutex g_catalogMutex;
std::unordered_map<std::string, std::string> g_catalog;
bool g_catalogLoaded = false;

uint32_t ReadWord(const std::string& data, size_t offset, bool swap)
{
    uint32_t value = 0;
    std::memcpy(&value, data.data() + offset, sizeof value);
    if (swap)
        value = __builtin_bswap32(value);
    return value;
}

// Reads a .mo file's string pairs; false when the file is not a well-formed catalog.
bool ParseCatalog(const std::string& data, std::unordered_map<std::string, std::string>& out)
{
    if (data.size() < 28)
        return false;
    uint32_t magic = 0;
    std::memcpy(&magic, data.data(), sizeof magic);
    bool swap;
    if (magic == 0x950412de)
        swap = false;
    else if (magic == 0xde120495)
        swap = true;
    else
        return false;
    const uint32_t count = ReadWord(data, 8, swap);
    const uint32_t originals = ReadWord(data, 12, swap);
    const uint32_t translations = ReadWord(data, 16, swap);
    auto fits = [&](uint64_t offset, uint64_t length) { return offset + length <= data.size(); };
    if (!fits(originals, uint64_t(count) * 8) || !fits(translations, uint64_t(count) * 8))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t oLen = ReadWord(data, originals + i * 8, swap);
        const uint32_t oOff = ReadWord(data, originals + i * 8 + 4, swap);
        const uint32_t tLen = ReadWord(data, translations + i * 8, swap);
        const uint32_t tOff = ReadWord(data, translations + i * 8 + 4, swap);
        if (!fits(oOff, oLen) || !fits(tOff, tLen))
            return false;
        std::string original = data.substr(oOff, oLen);
        if (original.empty())
            continue; // the header entry
        std::string translated = data.substr(tOff, tLen);
        if (!translated.empty())
            out.emplace(std::move(original), std::move(translated));
    }
    return true;
}

} // namespace

std::string Tr(const char* key, const char* english)
{
    std::shared_lock lock(g_catalogMutex);
    if (!g_catalog.empty()) {
        std::string lookup = std::string(key) + '\x04' + english;
        auto it = g_catalog.find(lookup);
        if (it != g_catalog.end())
            return it->second;
    }
    return english;
}

const char* EnglishString(int id)
{
    const std::string key = std::to_string(id);
    for (const Entry& entry : kStringTable) {
        if (key == entry.key)
            return entry.english;
    }
    return "";
}

std::string LoadString(int id)
{
    const std::string key = std::to_string(id);
    for (const Entry& entry : kStringTable) {
        if (key == entry.key)
            return Tr(entry.key, entry.english);
    }
    return std::string();
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (needed > 0) {
        result.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(result.data(), result.size(), format, args);
        result.resize(static_cast<size_t>(needed));
    }
    va_end(args);
    return result;
}

bool CStringTable::LoadCatalog(const std::string& moPath)
{
    std::ifstream in(moPath, std::ios::binary);
    if (!in)
        return false;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unordered_map<std::string, std::string> parsed;
    if (!ParseCatalog(data, parsed))
        return false;
    std::unique_lock lock(g_catalogMutex);
    g_catalog = std::move(parsed);
    g_catalogLoaded = true;
    return true;
}

void CStringTable::Unload()
{
    std::unique_lock lock(g_catalogMutex);
    g_catalog.clear();
    g_catalogLoaded = false;
}

bool CStringTable::IsCatalogLoaded()
{
    std::shared_lock lock(g_catalogMutex);
    return g_catalogLoaded;
}

} // namespace skerrow
