#include "TessaryCore/InstanceForwarding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tessary;
namespace forwarding = tessary::InstanceForwarding;

TEST(InstanceForwarding, LaunchArgumentsDecideWhatIsHandedOver) {
    const struct {
        std::vector<std::string_view> arguments;
        std::optional<InstanceRequest> expected;
    } cases[] = {
        {{}, InstanceRequest::activate},
        {{"--capture-now"}, InstanceRequest::captureNow},
        {{"--unknown", "--capture-now"}, InstanceRequest::captureNow},
        // Only the exact switch counts, as in the option parser.
        {{"--capture-now=1"}, InstanceRequest::activate},
        {{"--capture-nowhere"}, InstanceRequest::activate},
        // Scripted runs never forward, wherever the switch sits and whatever its form.
        {{"--capture-now", "--dev-demo-selection"}, std::nullopt},
        {{"--dev-save-to=/tmp/x.png", "--capture-now"}, std::nullopt},
        {{"--dev-"}, std::nullopt},
        {{"--help"}, std::nullopt},
        {{"--capture-now", "--version"}, std::nullopt},
        // A value that merely contains the text is not a switch.
        {{"x--dev-demo-selection"}, InstanceRequest::activate},
        {{"-dev-demo-selection", "--capture-now"}, InstanceRequest::captureNow},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (auto argument : c.arguments) {
            shown += std::string(argument) + " ";
        }
        EXPECT_EQ(forwarding::requestToForward(c.arguments), c.expected) << shown;
    }
}

TEST(InstanceForwarding, MessagesAreStrict) {
    for (InstanceRequest request : {InstanceRequest::activate, InstanceRequest::captureNow}) {
        const std::string message = forwarding::encode(request);
        EXPECT_LE(message.size(), forwarding::maxMessageBytes);
        EXPECT_EQ(message.back(), '\n');
        EXPECT_EQ(forwarding::decode(message), request);
    }
    EXPECT_NE(forwarding::encode(InstanceRequest::activate), forwarding::encode(InstanceRequest::captureNow));
    const std::string_view bad[] = {"",
                                    "capture-now",
                                    "capture-now\n\n",
                                    "CAPTURE-NOW\n",
                                    "capture-now \n",
                                    "rm -rf\n",
                                    "activate\r\n",
                                    std::string_view("activate\n\0", 10)};
    for (std::string_view message : bad) {
        EXPECT_FALSE(forwarding::decode(message).has_value()) << message;
    }
}

TEST(InstanceForwarding, SocketLivesInTheRuntimeDirectoryOrAPerUserTemporaryOne) {
    const struct {
        std::string_view runtime, temp;
        std::string expected;
    } cases[] = {
        {"/run/user/1000", "/var/tmp", "/run/user/1000/tessary/org.tessary.Tessary.sock"},
        {"", "", "/tmp/tessary-1000/tessary/org.tessary.Tessary.sock"},
        {"", "/var/tmp/", "/var/tmp/tessary-1000/tessary/org.tessary.Tessary.sock"},
        {"", "/", "/tessary-1000/tessary/org.tessary.Tessary.sock"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(forwarding::socketPath(c.runtime, c.temp, 1000), c.expected) << c.runtime << "|" << c.temp;
    }
}

namespace {

// A minimal listener standing in for the resident instance: reads one message from one client
// and answers with `reply`, or stays silent (a hung instance) when the reply is empty.
class FakeInstance {
public:
    FakeInstance(const std::string& path, std::string reply) : m_reply(std::move(reply)) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                  ::listen(m_fd, 4) == 0;
        if (m_bound) {
            m_thread = std::thread([this] { serveOne(); });
        }
    }
    ~FakeInstance() { finish(); }
    bool bound() const { return m_bound; }
    // Waits for the listener and returns what the client sent.
    std::string finish() {
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        return m_received;
    }

private:
    void serveOne() {
        const int client = ::accept(m_fd, nullptr, nullptr);
        if (client < 0) {
            return;
        }
        char buffer[128] = {};
        const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
        m_received = got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
        if (!m_reply.empty()) {
            ::send(client, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
        } else {
            // Hold the connection open past the client's patience.
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        }
        ::close(client);
    }

    int m_fd = -1;
    bool m_bound = false;
    std::string m_reply;
    std::string m_received;
    std::thread m_thread;
};

class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const char* name)
        : m_path(std::filesystem::temp_directory_path() /
                 ("tessary-forward-" + std::to_string(::getpid()) + "-" + name)) {
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryDirectory() { std::filesystem::remove_all(m_path); }
    std::string file(const char* name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST(InstanceForwarding, DeliveredOnlyWhenTheInstanceAnswersOk) {
    const struct {
        const char* name;
        std::string reply;
        bool delivered;
    } cases[] = {
        {"ok", "ok", true},
        {"refused", "no", false},
        {"short", "o", false},
        {"silent", "", false},
    };
    for (const auto& c : cases) {
        TemporaryDirectory directory(c.name);
        const std::string path = directory.file("instance.sock");
        FakeInstance instance(path, c.reply);
        ASSERT_TRUE(instance.bound()) << c.name;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(forwarding::forward(InstanceRequest::captureNow, path), c.delivered) << c.name;
        // A silent instance costs the bounded wait, not the listener's whole 2.5 s.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2400)) << c.name;
        EXPECT_EQ(instance.finish(), forwarding::encode(InstanceRequest::captureNow)) << c.name;
    }
}

TEST(InstanceForwarding, NothingToReachIsNotDelivered) {
    TemporaryDirectory directory("absent");
    EXPECT_FALSE(forwarding::forward(InstanceRequest::activate, directory.file("instance.sock")));
    // A plain file where the socket should be, an empty path and one too long for a socket address.
    const std::string plain = directory.file("plain");
    std::fclose(std::fopen(plain.c_str(), "w"));
    EXPECT_FALSE(forwarding::forward(InstanceRequest::activate, plain));
    EXPECT_FALSE(forwarding::forward(InstanceRequest::activate, ""));
    EXPECT_FALSE(forwarding::forward(InstanceRequest::activate, "/tmp/" + std::string(200, 'x')));
}
