#pragma once
// What a pass needs from the program: the rows, the connection, the status bar, message boxes, the
// stop event, the percent pane and the cached settings.

#include <string>

namespace skerrow {

class CTransferList;
class CFtpConnection;
class IStatusSink;
class IUserPrompt;
class CAutoResetEvent;
class CProgressMeter;

struct CTransferContext {
    CTransferList& list;
    CFtpConnection& connection;
    IStatusSink& status;
    IUserPrompt& prompt;
    CAutoResetEvent& stop;
    CProgressMeter& progress;
    std::string pcDir;       // Configure/PCDir
    std::string ftpStartDir; // Configure/FTPStartDir
    int maxErrors = 32000;   // Advanced/MaxErrors
    std::string iniPath;     // settings file for the text suffixes; "" = the program's own
};

} // namespace skerrow
