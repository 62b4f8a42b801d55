#include "core/ipc/Client.h"
#include "core/ipc/Protocol.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace cadro::ipc {
namespace {

TEST(IpcProtocol, RequestsAndRepliesRoundTrip) {
    Request request{Request::Type::command, {"next", "--step", "caf\xC3\xA9 / \"quoted\"\n"}};
    std::string line = encode(request);
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\n'), line.size() - 1);  // one line, whatever the text
    EXPECT_EQ(decodeRequest(line), request);
    EXPECT_EQ(decodeRequest(encode(Request{Request::Type::stepAside, {}}))->type,
              Request::Type::stepAside);

    CommandLineResult result{2, "out\n", "cadro: bad\n"};
    auto back = decodeResult(encode(result));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->exitCode, 2);
    EXPECT_EQ(back->out, "out\n");
    EXPECT_EQ(back->err, "cadro: bad\n");
}

TEST(IpcProtocol, MalformedMessagesAreRejected) {
    for (const char* bad :
         {"", "not json", "[]", "{}", R"({"type":"launch","args":[]})", R"({"type":"command"})",
          R"({"type":"command","args":"next"})", R"({"type":"command","args":[1,2]})",
          "{\"type\":\"command\",\"args\":[\"\xFF\"]}"}) {
        EXPECT_FALSE(decodeRequest(bad)) << bad;
    }
    for (const char* bad :
         {"", "{", R"({"exit":"0"})", R"({"exit":999})", R"({"exit":-1})", R"({"out":5})"}) {
        EXPECT_FALSE(decodeResult(bad)) << bad;
    }
    EXPECT_FALSE(decodeRequest(std::string(kMaxLineBytes + 1, ' ')));
}

TEST(IpcClient, NoListenerMeansNoTrayApp) {
    testing::TempDir dir;
    EXPECT_FALSE(Client::connect(dir / "missing.sock"));
    // A socket file left behind by a killed app refuses connections.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = (dir / "stale.sock").string();
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    EXPECT_FALSE(Client::connect(path));
}

TEST(IpcClient, ReadsLinesSplitAcrossWritesAndNoticesTheEnd) {
    testing::TempDir dir;
    std::string path = (dir / "tray.sock").string();
    int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    std::thread app([server] {
        int peer = ::accept(server, nullptr, nullptr);
        for (const char* part : {"{\"out\":\"a\"}\n{\"o", "ut\":\"b\"}\n"}) {
            (void)!::write(peer, part, std::strlen(part));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::close(peer);
    });
    auto client = Client::connect(path);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->readLine(5000), "{\"out\":\"a\"}");
    EXPECT_EQ(client->readLine(5000), "{\"out\":\"b\"}");
    EXPECT_FALSE(client->readLine(5000));
    app.join();
    ::close(server);
}

}  // namespace
}  // namespace cadro::ipc
