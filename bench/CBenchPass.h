#pragma once
// What a benchmark pass needs around its connection: the list, the status pane and the prompt, the
// stop signal and the percent meter, and the login from the command line's HOST PORT USER PASSWORD.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CBenchSink.h"
#include "ftp/CConnectionLanes.h"
#include "ftp/CFtpConnection.h"
#include "list/CTransferList.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CStopSignal.h"
#include "settings/CTextSuffixList.h"
#include "settings/CSettingsFile.h"
#include "transfer/CTransferContext.h"

struct CBenchPass {
    skerrow::CTransferList list;
    CBenchSink sink;
    skerrow::CStopSignal stop;
    skerrow::CProgressMeter progress{sink};
    skerrow::CFtpConnection connection;

    // The peers are measured on plain FTP, and so are we unless a bench asks for TLS.
    CBenchPass() { connection.SetEncryption(skerrow::FtpEncryption::Plain); }

    // Logs in with argv[1] to argv[4] (passive) and starts at the root; says why on stderr when not.
    bool Open(char** argv)
    {
        if (!connection.Open(argv[1], std::atoi(argv[2]), argv[3], argv[4], true)) {
            std::fprintf(stderr, "cannot connect: %d\n", connection.LastError());
            return false;
        }
        connection.SetCurrentDirectory("/");
        return true;
    }

    // connections in all, the further ones logged in with argv[1] to argv[4] as Open does.
    static skerrow::CConnectionLanes::Setup Lanes(char** argv, int connections)
    {
        skerrow::CConnectionLanes::Setup setup;
        setup.connections = connections;
        setup.open = [argv](skerrow::CFtpConnection& more) {
            more.SetEncryption(skerrow::FtpEncryption::Plain);
            return more.Open(argv[1], std::atoi(argv[2]), argv[3], argv[4], true);
        };
        return setup;
    }

    // A pass over the list from pcDir to startDir, with the default text suffixes.
    // As a run with the default settings: its tries per file too.
    skerrow::CTransferContext Context(const std::string& pcDir, const std::string& startDir)
    {
        skerrow::CTransferContext context{list,   connection, sink,     sink, stop, progress, pcDir,
                                          startDir, 32000,    skerrow::CTextSuffixList::Defaults()};
        context.tries = skerrow::ini::kDefaultTries;
        return context;
    }
};
