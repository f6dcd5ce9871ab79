#pragma once
// A self-signed certificate and its key, made by openssl for the tests' TLS servers, with the
// fingerprint openssl prints.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ftp/CTrustedCertificates.h"
#include "support/CTempDir.h"

namespace skerrow::test {

struct CTestCertificate {
    CTempDir dir;
    std::string cert;
    std::string key;
    std::string fingerprint;

    explicit CTestCertificate(const std::string& name)
    {
        cert = (dir.Path() / "cert.pem").string();
        key = (dir.Path() / "key.pem").string();
        const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=" + name +
                                 "/O=Skerrow Tests' -keyout " + key + " -out " + cert + " 2>/dev/null";
        if (std::system(make.c_str()) != 0)
            return;
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
        std::filesystem::permissions(key, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                              std::filesystem::perms::others_read);
        FILE* pipe = popen(("openssl x509 -noout -fingerprint -sha256 -in " + cert).c_str(), "r");
        char line[256] = {};
        if (pipe && std::fgets(line, sizeof line, pipe))
            fingerprint = CTrustedCertificates::Normalize(line);
        if (pipe)
            pclose(pipe);
    }
    std::vector<std::string> Args() const { return {"--tls-cert", cert, "--tls-key", key}; }
};

} // namespace skerrow::test
