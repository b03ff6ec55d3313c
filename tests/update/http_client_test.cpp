#include "update/http_client.h"
#include "update/https_server.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(HttpClient, FetchesText) {
    std::string files = testhttps::makeTemporaryFolder("merivane-files");
    ASSERT_TRUE(testhttps::writeFile(files + "/hello.txt", "Hello\r\nWorld"));
    testhttps::HttpsServer server;
    std::string error;
    ASSERT_TRUE(testhttps::startHttpsServer(server, files, {}, error)) << error;
    setenv("MERIVANE_EXTRA_CA_FILE", server.caFile.c_str(), 1);
    ASSERT_NE(HttpInitializeA(), 0);
    int handle = HttpConnectA(server.baseUrl, 443, 20);
    ASSERT_NE(handle, kHttpFailure) << std::hex << HttpGetLastError();
    char buffer[2000];
    EXPECT_EQ(HttpGetTextA(handle, "./hello.txt", buffer, sizeof buffer), kHttpTextReceived)
        << std::hex << HttpGetLastError();
    EXPECT_STREQ(buffer, "Hello\r\nWorld");
    EXPECT_EQ(HttpGetTextA(handle, "./nothing.txt", buffer, sizeof buffer), kHttpFailure);
    char text[128];
    HttpGetErrorStringA(HttpGetLastError(), text, sizeof text);
    EXPECT_STREQ(text, "The server answered 404 Not Found");
    EXPECT_EQ(HttpDisconnect(handle), 0);
    HttpUninitialize();
    testhttps::stopHttpsServer(server);
    testhttps::removeFolder(files);
}

} // namespace
