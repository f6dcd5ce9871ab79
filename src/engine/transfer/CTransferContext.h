#pragma once
// What a pass needs from the program: the rows, the connection, the status bar, message boxes, the
// run's stop signal and fence, the percent pane and the cached settings.

#include <string>
#include <vector>

namespace skerrow {

class CTransferList;
class CFtpConnection;
class IStatusSink;
class IUserPrompt;
class CStopSignal;
class CProgressMeter;
class CRunFence;
class CRunProgress;

struct CTransferContext {
    CTransferList& list;
    CFtpConnection& connection;
    IStatusSink& status;
    IUserPrompt& prompt;
    CStopSignal& stop;
    CProgressMeter& progress;
    std::string pcDir;       // Configure/PCDir
    std::string ftpStartDir; // the run's server root: Configure/FTPStartDir, resolved at the login
    int maxErrors = 32000;   // Advanced/MaxErrors
    std::vector<std::string> textSuffixes; // TextSuffices: these files go in ASCII
    // The run's fence: every change of a row goes through it. None: the pass owns its list.
    CRunFence* fence = nullptr;
    // The run's overall progress (rows and bytes of the pass); none: not followed.
    CRunProgress* overall = nullptr;
    // Advanced/TempNameUpload: which files go under a temporary name first (CFileSender).
    int tempNameUpload = 0;
    // Advanced/TriesPerFile: how many times a file is tried when its failures may pass (1: once).
    int tries = 1;

    // The run was stopped, or its fence released: the pass ends at the next row.
    bool Stopped() const;
};

} // namespace skerrow
