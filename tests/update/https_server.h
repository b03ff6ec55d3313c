#pragma once
// A real HTTPS server for tests: nginx, unprivileged, on 127.0.0.1 with a free port, its
// certificate signed by a certificate authority made with openssl when the server starts
// (subjectAltName IP:127.0.0.1 and DNS:localhost). Everything lives in a temporary folder that
// stopHttpsServer removes.
//
// "/" serves the given folder. Further locations serve the same folder under their own prefix
// with their own nginx directives; the helpers below make the usual ones.
#include <string>
#include <vector>

namespace testhttps {

struct ServerLocation {
    std::string prefix;     // "/slow/": the served folder appears under this prefix
    std::string directives; // nginx directives for it, each ending with ";"
    bool servesFiles;       // false: the directives answer by themselves (redirects, stalls)
};

struct HttpsServer {
    std::string folder;  // temporary folder of the server (configuration, logs, certificates)
    std::string baseUrl; // "https://127.0.0.1:PORT/"
    std::string caFile;  // PEM certificate of the authority that signed the server's
    int port = 0;
    int pid = -1; // nginx master process; -1 when not running
};

// The folder's files arrive at bytesPerSecond after the first bytesBeforeLimit bytes.
ServerLocation slowLocation(const std::string& prefix, int bytesPerSecond,
                            int bytesBeforeLimit = 0);
// The folder's files without a Content-Length (chunked).
ServerLocation noLengthLocation(const std::string& prefix);
// Every request under prefix is redirected to the same path on plain http.
ServerLocation redirectToHttpLocation(const std::string& prefix);
// Every request under prefix is redirected to `target` (a path on this server or an address).
ServerLocation redirectLocation(const std::string& prefix, const std::string& target);
// Headers, then bytesFirst bytes, then nothing for an hour (the response never ends).
ServerLocation stallLocation(const std::string& prefix, int bytesFirst);
// The status answers every request under prefix.
ServerLocation statusLocation(const std::string& prefix, int status);

// Creates the certificates, writes the configuration and starts nginx serving servedFolder
// (its files must be readable). Returns false with a reason in error (server stopped).
bool startHttpsServer(HttpsServer& server, const std::string& servedFolder,
                      const std::vector<ServerLocation>& locations, std::string& error);
// Stops nginx and removes the server's folder.
void stopHttpsServer(HttpsServer& server);

// A new empty temporary folder ("" on failure) and its removal with everything in it.
std::string makeTemporaryFolder(const std::string& prefix);
void removeFolder(const std::string& folder);
// Writes contents to path; false on failure.
bool writeFile(const std::string& path, const std::string& contents);

} // namespace testhttps
