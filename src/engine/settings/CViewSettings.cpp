#include "settings/CViewSettings.h"

#include <algorithm>
#include <climits>

#include "settings/CIniFile.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsFile.h"

namespace skerrow {

namespace {

// The loader's presets for the fields of Data/LastRun that do not scan.
constexpr CDateTime kLastRunPreset{1000, 1, 1, 1, 1, 0};

} // namespace

void CViewSettings::Load()
{
    CSettingsFile settings;
    LoadFrom(settings.GetPath(".ini"));
}

void CViewSettings::LoadFrom(const std::string& iniPath)
{
    auto text = [&iniPath](const char* section, const char* key, const char* fallback = "") {
        return CIniFile::GetString(iniPath, section, key, fallback);
    };
    auto number = [&iniPath](const char* section, const char* key, int fallback) {
        return CIniFile::GetInt(iniPath, section, key, fallback);
    };

    ftpStartDir = text(ini::kConfigure, ini::kFtpStartDir);
    ftpServer = text(ini::kConfigure, ini::kFtpUrl);
    pcDir = text(ini::kConfigure, ini::kPcDir);
    user = text(ini::kConfigure, ini::kUser);
    CPasswordCodec().Decode(text(ini::kConfigure, ini::kPwd), password);

    uploadAllFiles = number(ini::kConfigure, ini::kUploadAllFiles, 0) != 0;
    language = number(ini::kAdvanced, ini::kLanguage, 0);

    lastRun = ParseLastRun(text(ini::kData, ini::kLastRun, ini::kDefaultLastRun), kLastRunPreset);
    // A stored date that is no real date (month 13, hour 99) would move the threshold to some other
    // day; the preset lies before every file, so nothing changed is missed.
    if (!lastRun.IsValid())
        lastRun = kLastRunPreset;

    port = number(ini::kAdvanced, ini::kPort, 0);
    // Seconds to milliseconds; a huge stored value is held at the largest that fits. Below one
    // second the stop timer would never release a stuck worker, and an error limit below one would
    // end every pass before its first file: both are held at 1.
    const long long timeoutMs = std::max(number(ini::kAdvanced, ini::kStopTimeout, 3), 1) * 1000LL;
    stopTimeoutMs = static_cast<int>(std::min<long long>(timeoutMs, INT_MAX));
    maxErrors = std::max(number(ini::kAdvanced, ini::kMaxErrors, 32000), 1);
    passive = number(ini::kAdvanced, ini::kPasv, 0) != 0;

    encryption = number(ini::kAdvanced, ini::kEncryption, 0);
    protocol = number(ini::kAdvanced, ini::kProtocol, 0) == 1 ? 1 : 0;
    keyFile = text(ini::kConfigure, ini::kKeyFile);
    CPasswordCodec().Decode(text(ini::kConfigure, ini::kKeyPassphrase), keyPassphrase);
    connections = std::clamp(number(ini::kAdvanced, ini::kConnections, ini::kDefaultConnections), 1,
                             ini::kMostConnections);

    tempNameUpload = number(ini::kAdvanced, ini::kTempNameUpload, 0);
    triesPerFile = std::clamp(number(ini::kAdvanced, ini::kTriesPerFile, ini::kDefaultTries), 1, ini::kMostTries);
}

} // namespace skerrow
