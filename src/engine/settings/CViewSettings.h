#pragma once
// The settings cache of the list view: its copy of the keys a run needs, refreshed by Load
// (LoadSettings) before every use that matters.

#include <string>

#include "settings/CDateTime.h"

namespace skerrow {

struct CViewSettings {
    std::string ftpStartDir; // Configure/FTPStartDir
    std::string ftpServer;   // Configure/FTPURL
    std::string pcDir;       // Configure/PCDir
    std::string user;        // Configure/User
    std::string password;    // Configure/PWD, plain
    bool uploadAllFiles = false;
    int language = 0;                        // Advanced/Language
    CDateTime lastRun{1000, 1, 1, 1, 1, 0}; // Data/LastRun
    int port = 0;                            // Advanced/Port; 0 = the FTP default port
    int stopTimeoutMs = 3000;                // Advanced/StopTimeout * 1000, at least 1000
    int maxErrors = 32000;                   // Advanced/MaxErrors, at least 1
    bool passive = false;                    // Advanced/PASV

    int encryption = 0;                      // Advanced/Encryption
    int protocol = 0;                        // Advanced/Protocol: 0 FTP, 1 SFTP
    std::string keyFile;                     // Configure/KeyFile: SFTP's private key, "" for none
    std::string keyPassphrase;               // Configure/KeyPassphrase, plain
    int connections = 4;                     // Advanced/Connections, 1 to 8

    int tempNameUpload = 0;                  // Advanced/TempNameUpload (CFileSender::Mode)
    int triesPerFile = 3;                    // Advanced/TriesPerFile, 1 to 5
    // Never stored; only the headless command's --max-delete sets it: how many server leftovers a
    // run may delete although the guard against mass deletion refuses (-1: the guard holds).
    long maxLeftoverDeletes = -1;
    // Never stored; only the headless command sets it: the directory its Tree Delete works on, in
    // place of Configure/FTPDirTreeDel ("": the stored one). A script's run leaves the dialog's
    // setting as the user typed it.
    std::string treeDeleteDirGiven;

    // Reads every key above from the settings file (LoadSettings).
    void Load();
    void LoadFrom(const std::string& iniPath);
};

} // namespace skerrow
