#include "update/https_server.h"
#include "support/test_files.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testhttps {

namespace {

constexpr const char* kNginx = "/usr/sbin/nginx";
constexpr const char* kOpenssl = "/usr/bin/openssl";
constexpr const char* kEchoModule = "/usr/lib/nginx/modules/ngx_http_echo_module.so";
constexpr int kStartAttempts = 3;
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kStopLimit = std::chrono::seconds(5);
constexpr auto kPollStep = std::chrono::milliseconds(10);

// Runs a program with its output going to logPath; the child dies with this process, so a
// crashed test leaves no server behind. Returns the child's pid, -1 on failure.
int spawn(const std::vector<std::string>& arguments, const std::string& logPath) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t parent = getpid();
    pid_t child = fork();
    if (child != 0) return child;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    int null = open("/dev/null", O_RDONLY);
    if (log >= 0) {
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
    }
    if (null >= 0) dup2(null, STDIN_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
}

bool run(const std::vector<std::string>& arguments, const std::string& logPath) {
    int pid = spawn(arguments, logPath);
    if (pid < 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A port nobody listens on right now (nginx takes it a moment later; a clash is retried).
int freePort() {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(sock);
    return port;
}

bool accepts(int port) {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    bool connected = connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(sock);
    return connected;
}

bool makeCertificates(const std::string& folder, std::string& error) {
    const std::string log = folder + "/openssl.log";
    const std::string curve = "ec_paramgen_curve:prime256v1";
    bool made =
        run({kOpenssl,  "req",
             "-x509",   "-newkey",
             "ec",      "-pkeyopt",
             curve,     "-nodes",
             "-keyout", folder + "/ca.key",
             "-out",    folder + "/ca.pem",
             "-days",   "2",
             "-subj",   "/CN=Merivane Test CA",
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign"},
            log) &&
        run({kOpenssl, "req", "-newkey", "ec", "-pkeyopt", curve, "-nodes", "-keyout",
             folder + "/server.key", "-out", folder + "/server.csr", "-subj", "/CN=localhost"},
            log) &&
        writeFile(folder + "/san.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                                       "basicConstraints=CA:FALSE\n"
                                       "extendedKeyUsage=serverAuth\n") &&
        run({kOpenssl, "x509", "-req", "-in", folder + "/server.csr", "-CA", folder + "/ca.pem",
             "-CAkey", folder + "/ca.key", "-CAcreateserial", "-out", folder + "/server.pem",
             "-days", "2", "-extfile", folder + "/san.ext"},
            log);
    if (!made) error = "openssl failed: " + readText(log);
    return made;
}

std::string configuration(const HttpsServer& server, const std::string& served,
                          const std::vector<ServerLocation>& locations) {
    const std::string& dir = server.folder;
    bool needsEcho = false;
    for (const ServerLocation& location : locations)
        needsEcho = needsEcho || location.directives.find("echo_") != std::string::npos;
    std::ostringstream text;
    // As root the workers would run as nobody, who may not read a test's private folder.
    if (geteuid() == 0) text << "user root root;\n";
    if (needsEcho) text << "load_module " << kEchoModule << ";\n";
    text << "daemon off;\nmaster_process on;\nworker_processes 1;\n"
         << "pid " << dir << "/nginx.pid;\nerror_log " << dir << "/error.log;\n"
         << "events { worker_connections 256; }\n"
         << "http {\n  access_log off;\n  default_type application/octet-stream;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        text << "  " << kind << "_temp_path " << dir << "/" << kind << "_temp;\n";
    text << "  server {\n    listen 127.0.0.1:" << server.port << " ssl;\n"
         << "    server_name localhost;\n"
         << "    ssl_certificate " << dir << "/server.pem;\n"
         << "    ssl_certificate_key " << dir << "/server.key;\n"
         << "    location / { root " << served << "; }\n";
    for (const ServerLocation& location : locations) {
        text << "    location " << location.prefix << " { ";
        if (location.servesFiles) text << "alias " << served << "/; ";
        text << location.directives << " }\n";
    }
    text << "  }\n}\n";
    return text.str();
}

bool waitUntilServing(HttpsServer& server, std::string& error) {
    auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(server.pid, &status, WNOHANG) == server.pid) {
            server.pid = -1;
            error = "nginx ended: " + readText(server.folder + "/error.log");
            return false;
        }
        if (accepts(server.port)) return true;
        std::this_thread::sleep_for(kPollStep);
    }
    error = "nginx did not start listening";
    return false;
}

void stopProcess(int pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(kPollStep);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}

} // namespace

ServerLocation slowLocation(const std::string& prefix, int bytesPerSecond, int bytesBeforeLimit) {
    return {prefix,
            "limit_rate " + std::to_string(bytesPerSecond) + "; limit_rate_after " +
                std::to_string(bytesBeforeLimit) + ";",
            true};
}

ServerLocation noLengthLocation(const std::string& prefix) {
    // The include filter drops the length and sends the file chunked.
    return {prefix, "ssi on; ssi_types *; ssi_silent_errors on;", true};
}

ServerLocation redirectToHttpLocation(const std::string& prefix) {
    return {prefix, "return 302 http://$host:$server_port$request_uri;", false};
}

ServerLocation redirectLocation(const std::string& prefix, const std::string& target) {
    return {prefix, "return 302 " + target + ";", false};
}

ServerLocation stallLocation(const std::string& prefix, int bytesFirst) {
    return {prefix,
            "default_type text/plain; echo_duplicate " + std::to_string(bytesFirst) +
                " \"x\"; echo_flush; echo_sleep 3600;",
            false};
}

ServerLocation statusLocation(const std::string& prefix, int status) {
    return {prefix, "return " + std::to_string(status) + ";", false};
}

bool startHttpsServer(HttpsServer& server, const std::string& servedFolder,
                      const std::vector<ServerLocation>& locations, std::string& error) {
    server = HttpsServer{};
    char* served = realpath(servedFolder.c_str(), nullptr);
    if (served == nullptr) {
        error = "no served folder " + servedFolder;
        return false;
    }
    std::string servedPath = served;
    free(served);
    server.folder = makeTemporaryFolder("merivane-https");
    if (server.folder.empty()) {
        error = "no temporary folder";
        return false;
    }
    server.caFile = server.folder + "/ca.pem";
    if (!makeCertificates(server.folder, error)) {
        stopHttpsServer(server);
        return false;
    }
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        server.port = freePort();
        const std::string config = server.folder + "/nginx.conf";
        if (!writeFile(config, configuration(server, servedPath, locations))) {
            error = "cannot write " + config;
            break;
        }
        server.pid =
            spawn({kNginx, "-p", server.folder, "-e", server.folder + "/error.log", "-c", config},
                  server.folder + "/nginx.out");
        if (server.pid > 0 && waitUntilServing(server, error)) {
            server.baseUrl = "https://127.0.0.1:" + std::to_string(server.port) + "/";
            return true;
        }
        stopProcess(server.pid);
        server.pid = -1;
    }
    stopHttpsServer(server);
    return false;
}

void stopHttpsServer(HttpsServer& server) {
    stopProcess(server.pid);
    server.pid = -1;
    removeFolder(server.folder);
    server.folder.clear();
}

std::string makeTemporaryFolder(const std::string& prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/" + prefix + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) return "";
    return name.data();
}

void removeFolder(const std::string& folder) {
    if (folder.empty()) return;
    nftw(folder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

bool writeFile(const std::string& path, const std::string& contents) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << contents;
    stream.close();
    return !stream.fail();
}

} // namespace testhttps
