#include "core/ipc/Protocol.h"
#include "platform/linux/SocketClient.h"
#include "platform/linux/SocketFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <tuple>

namespace cadro {
using namespace ipc;
namespace {

TEST(IpcProtocol, RequestsAndRepliesRoundTrip) {
    Request request{Request::Type::command,
                    {"next", "--step", "caf\xC3\xA9 / \"quoted\"\n"},
                    "0A1B2C3D-4E5F-4A6B-8C7D-8E9FA0B1C2D3",
                    "an imported\nfile\n"};
    std::string line = encode(request);
    EXPECT_EQ(line.find('\n'), line.size() - 1);  // one line, whatever the text
    EXPECT_EQ(decodeRequest(line), request);
    EXPECT_EQ(decodeRequest(encode(Request{Request::Type::stepAside, {}, {}, {}}))->type,
              Request::Type::stepAside);
    // A start of the tray app says which build it is.
    Request show{Request::Type::show, {"/usr/bin/cadro-tray", "1.2", "9f0a"}, {}, {}};
    EXPECT_EQ(decodeRequest(encode(show)), show);

    const auto back = decodeResult(encode(CommandLineResult{2, "out\n", "cadro: bad\n"}));
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tie(back->exitCode, back->out, back->err),
              std::make_tuple(2, std::string("out\n"), std::string("cadro: bad\n")));
}

TEST(IpcProtocol, MalformedMessagesAreRejected) {
    for (const char* bad :
         {"", "not json", "[]", "{}", R"({"type":"launch","args":[]})", R"({"type":"command"})",
          R"({"type":"command","args":"next"})", R"({"type":"command","args":[1,2]})",
          "{\"type\":\"command\",\"args\":[\"\xFF\"]}",
          // Only the status may be watched: a watched command runs on every change.
          R"({"type":"watch","args":["next"]})", R"({"type":"watch","args":[]})",
          R"({"type":"watch","args":["status","--json","x"]})",
          R"({"type":"command","args":[],"id":7})"}) {
        EXPECT_FALSE(decodeRequest(bad)) << bad;
    }
    for (const char* bad :
         {"", "{", R"({"exit":"0"})", R"({"exit":999})", R"({"exit":-1})", R"({"out":5})"}) {
        EXPECT_FALSE(decodeResult(bad)) << bad;
    }
    EXPECT_FALSE(decodeRequest(std::string(kMaxRequestBytes + 1, ' ')));
    EXPECT_TRUE(decodeRequest(R"({"type":"watch","args":["status","--json"]})"));
}

TEST(SocketFolder, OnlyAPrivateFolderOfThisUserIsSafe) {
    testing::TempDir dir;
    const auto folder = dir / "cadro";
    ASSERT_FALSE(prepareSocketFolder(folder / "tray.sock"));  // made 0700
    for (auto [mode, safe] : {std::pair{0700, true}, {0750, false}, {0777, false}}) {
        std::filesystem::permissions(folder, static_cast<std::filesystem::perms>(mode));
        EXPECT_EQ(!unsafeFolderReason(folder), safe) << std::oct << mode;
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    std::filesystem::create_directory_symlink(folder, dir / "link");
    EXPECT_TRUE(unsafeFolderReason(dir / "link"));
    if (::getuid() == 0) {
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);  // nobody's
        EXPECT_TRUE(prepareSocketFolder(folder / "tray.sock"));
    }
}

// A Unix socket bound at `path`.
int boundSocket(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

TEST(IpcClient, NeedsAListenerAndReadsLinesSplitAcrossWritesWholeAtAnySize) {
    testing::TempDir dir;
    EXPECT_FALSE(SocketClient::connect(dir / "missing.sock").isConnected());
    // A socket file left behind by a killed app refuses connections.
    const std::string stale = (dir / "stale.sock").string();
    ::close(boundSocket(stale));
    EXPECT_FALSE(SocketClient::connect(stale).isConnected());

    std::string path = (dir / "tray.sock").string();
    int server = boundSocket(path);
    ASSERT_EQ(::listen(server, 1), 0);
    // A brain dump far larger than any request.
    const std::string large = encode(CommandLineResult{0, std::string(9'000'000, 'x'), ""});
    std::thread app([server, &large] {
        int peer = ::accept(server, nullptr, nullptr);
        for (const char* part : {"{\"out\":\"a\"}\n{\"o", "ut\":\"b\"}\n"}) {
            (void)!::write(peer, part, std::strlen(part));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        for (std::size_t sent = 0; sent < large.size();) {
            auto n = ::write(peer, large.data() + sent, large.size() - sent);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        ::close(peer);
    });
    auto client = SocketClient::connect(path);
    ASSERT_TRUE(client.isConnected());
    EXPECT_EQ(client.readLine(5000, kMaxReplyBytes), "{\"out\":\"a\"}");
    EXPECT_EQ(client.readLine(5000, kMaxReplyBytes), "{\"out\":\"b\"}");
    auto whole = client.readLine(5000, kMaxReplyBytes);
    ASSERT_TRUE(whole);
    EXPECT_EQ(decodeResult(*whole)->out.size(), 9'000'000u);
    EXPECT_FALSE(client.readLine(5000, kMaxReplyBytes));
    app.join();
    ::close(server);
}

}  // namespace
}  // namespace cadro
