// The single-instance channel: one holder per channel, raise requests, a socket left by a
// crashed copy, the private folder.
#include "platform/instance_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace ov {
namespace {

using namespace std::chrono_literals;

class InstanceChannelTest : public ::testing::Test {
protected:
    test::TempDir m_runtime;
    test::ScopedEnv m_env{"XDG_RUNTIME_DIR", m_runtime.Path()};
    std::string m_folder = InstanceFolder();
};

TEST_F(InstanceChannelTest, TheFolderIsPrivateEvenWhenItWasMadeOpen) {
    ASSERT_EQ(m_folder, m_runtime.Path() + "/orvanta");
    ASSERT_EQ(chmod(m_folder.c_str(), 0755), 0);
    ASSERT_EQ(InstanceFolder(), m_folder);
    struct stat info {};
    ASSERT_EQ(stat(m_folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(InstanceChannelTest, ALinkInPlaceOfTheFolderIsRefused) {
    test::TempDir other;
    test::TempDir runtime;
    ASSERT_EQ(symlink(other.Path().c_str(), (runtime.Path() + "/orvanta").c_str()), 0);
    test::ScopedEnv env("XDG_RUNTIME_DIR", runtime.Path());
    std::string error;
    EXPECT_EQ(InstanceFolder(&error), "");
    EXPECT_NE(error, "");
}

TEST_F(InstanceChannelTest, NamesDependOnTheProgramPathOnly) {
    EXPECT_EQ(InstanceChannelName("/usr/bin/orvanta"), InstanceChannelName("/usr/bin/orvanta"));
    EXPECT_NE(InstanceChannelName("/usr/bin/orvanta"), InstanceChannelName("/opt/bin/orvanta"));
}

TEST_F(InstanceChannelTest, ASecondClaimIsBusyAndItsRaiseRequestReachesTheHolder) {
    bool busy = true;
    auto first = InstanceServer::Claim(m_folder, "x", &busy);
    ASSERT_TRUE(first);
    EXPECT_FALSE(busy);

    auto second = InstanceServer::Claim(m_folder, "x", &busy);
    EXPECT_FALSE(second);
    EXPECT_TRUE(busy);

    std::atomic<bool> raised{false};
    std::thread holder([&] {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!raised && std::chrono::steady_clock::now() < deadline) {
            raised = first->AcceptRequest();
            std::this_thread::sleep_for(5ms);
        }
    });
    EXPECT_TRUE(AskRunningCopy(m_folder, "x", 3s));
    holder.join();
    EXPECT_TRUE(raised);
}

TEST_F(InstanceChannelTest, ASocketLeftByACrashedCopyIsTakenOver) {
    // A copy that died holding the channel: its socket file stays, its lock does not.
    const pid_t child = fork();
    if (child == 0) {
        bool busy = false;
        auto server = InstanceServer::Claim(m_folder, "x", &busy);
        _exit(server ? 0 : 1);  // no destructor: the socket file stays behind
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(access((m_folder + "/x.sock").c_str(), F_OK), 0);

    std::string error;
    EXPECT_FALSE(AskRunningCopy(m_folder, "x", 100ms, &error));
    bool busy = true;
    auto server = InstanceServer::Claim(m_folder, "x", &busy, &error);
    ASSERT_TRUE(server) << error;
    EXPECT_FALSE(busy);
}

TEST_F(InstanceChannelTest, CopiesStartedAtTheSameInstantEndWithOneHolder) {
    constexpr int kCopies = 6;
    std::vector<pid_t> children;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    for (int i = 0; i < kCopies; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            char go = 0;
            close(ready[1]);
            if (read(ready[0], &go, 1) < 0) {  // end of file: the parent let every copy go
                _exit(3);
            }
            bool busy = false;
            auto server = InstanceServer::Claim(m_folder, "x", &busy);
            if (server) {
                // Hold the channel long enough for every other copy to find it taken.
                std::this_thread::sleep_for(500ms);
                _exit(0);
            }
            _exit(busy ? 1 : 2);
        }
        children.push_back(child);
    }
    close(ready[0]);
    close(ready[1]);  // every copy starts now
    int holders = 0;
    int busy = 0;
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        holders += WEXITSTATUS(status) == 0 ? 1 : 0;
        busy += WEXITSTATUS(status) == 1 ? 1 : 0;
    }
    EXPECT_EQ(holders, 1);
    EXPECT_EQ(busy, kCopies - 1);
}

TEST_F(InstanceChannelTest, ARequestOtherThanRaiseIsAnsweredButDoesNotRaise) {
    bool busy = false;
    auto server = InstanceServer::Claim(m_folder, "x", &busy);
    ASSERT_TRUE(server);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = server->SocketPath();
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(write(fd, "quit\n", 5), 5);
    EXPECT_FALSE(server->AcceptRequest());
    close(fd);
}

}  // namespace
}  // namespace ov
