#pragma once
// Locates the settings file (and its sibling files) and reads and writes its keys.
//
// The settings file is named after the executable: its file name with the extension replaced by
// ".ini", or ".ini" appended when the name has no extension (skerrow gives skerrow.ini). It sits
// beside the executable in a build tree, and in the user's configuration directory (made with mode
// 0700 when missing) when the program is installed (see CProgramFiles). The command-line option
// --settings=FILE (which sets the override), else the environment variable SKERROW_INI, names
// another file; sibling files then sit beside that one.

#include <string>

namespace skerrow {

// Section and key names.
namespace ini {
inline constexpr const char* kAdvanced = "Advanced";
inline constexpr const char* kConfigure = "Configure";
inline constexpr const char* kData = "Data";
inline constexpr const char* kTextSuffices = "TextSuffices";

inline constexpr const char* kPort = "Port";
inline constexpr const char* kStopTimeout = "StopTimeout";
inline constexpr const char* kMaxErrors = "MaxErrors";
inline constexpr const char* kLanguage = "Language";
inline constexpr const char* kPasv = "PASV";
inline constexpr const char* kFtpUrl = "FTPURL";
inline constexpr const char* kFtpStartDir = "FTPStartDir";
inline constexpr const char* kUser = "User";
inline constexpr const char* kPwd = "PWD";
inline constexpr const char* kPcDir = "PCDir";
inline constexpr const char* kUploadAllFiles = "UploadAllFiles";
inline constexpr const char* kFtpDirTreeDel = "FTPDirTreeDel";
inline constexpr const char* kLastRun = "LastRun";
inline constexpr const char* kDefaultLastRun = "1000\\01\\01 01:01";
} // namespace ini

// How the FTP connection is encrypted: 0 explicit TLS if available (also when absent), 1 explicit
// TLS required, 2 implicit TLS, 3 plain FTP only.
namespace ini {
inline constexpr const char* kEncryption = "Encryption";
} // namespace ini

// Advanced/Connections: how many connections a run uses at once (uploads, tree deletes, the leftover walk), 1 to 8 (4 when absent).
namespace ini {
inline constexpr const char* kConnections = "Connections";
inline constexpr int kDefaultConnections = 4;
inline constexpr int kMostConnections = 8;
} // namespace ini

// Which uploads go under a temporary name and are renamed once complete: 0 files of 1 MiB and more
// (also when absent or unknown), 1 all files, 2 none.
namespace ini {
inline constexpr const char* kTempNameUpload = "TempNameUpload";
} // namespace ini

// Advanced/TriesPerFile: how many times an upload tries a file whose failure may pass (a dropped
// connection, a time-out, a 421/425/426/450/451 reply), 1 to 5 (3 when absent); 1 tries once.
namespace ini {
inline constexpr const char* kTriesPerFile = "TriesPerFile";
inline constexpr int kDefaultTries = 3;
inline constexpr int kMostTries = 5;
} // namespace ini

// Advanced/Protocol: 0 FTP (also when absent or unknown), 1 SFTP. Over SFTP, Configure/KeyFile names
// the private key to log in with ("" for none) and Configure/KeyPassphrase holds its passphrase,
// kept as the password is.
namespace ini {
inline constexpr const char* kProtocol = "Protocol";
inline constexpr const char* kKeyFile = "KeyFile";
inline constexpr const char* kKeyPassphrase = "KeyPassphrase";
} // namespace ini

class CSettingsFile {
public:
    virtual ~CSettingsFile() = default;

    // The path of the sibling file with the given extension (dot included, ".ini" or ".txt"); it
    // becomes this object's current file.
    std::string GetPath(const std::string& extension);
    const std::string& CurrentPath() const { return m_path; }
    // The path GetPath gives, without making the configuration directory.
    static std::string ChosenPath(const std::string& extension);

    // Reads and writes on the current file (GetPath(".ini") is called first when none is current).
    std::string ReadString(const char* section, const char* key, const std::string& defaultValue = {});
    int ReadInt(const char* section, const char* key, int defaultValue);
    bool WriteString(const char* section, const char* key, const std::string& value);
    // Unsigned decimal ("%u").
    bool WriteUInt(const char* section, const char* key, unsigned value);
    // Signed decimal ("%d").
    bool WriteInt(const char* section, const char* key, int value);

    // The running executable's path (set by the program at start-up; /proc/self/exe otherwise).
    static void SetExecutablePath(const std::string& path);
    static std::string ExecutablePath();
    // An explicit settings file, overriding the executable rule and SKERROW_INI; "" clears it.
    static void SetOverridePath(const std::string& path);

private:
    void EnsurePath();
    std::string m_path;
};

} // namespace skerrow
