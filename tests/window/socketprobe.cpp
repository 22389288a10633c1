// tibbo-socket-probe: the other end of the reader's local socket for the script tests,
// playing the clients and the listener a careful reader must withstand. Plain POSIX, so
// it behaves as any process on the machine would.
//
//   hold PATH COUNT SECONDS   opens COUNT silent connections, keeps them SECONDS at most;
//                             prints "connected N" at once, then "closed M" at the end
//   silent PATH               one silent connection: "closed after N ms" or "still open"
//   send PATH                 sends standard input as one message, prints "answer: ..."
//                             (escaped) and "closed after N ms"
//   listen PATH SECONDS       listens at PATH for SECONDS, answers "ok\n" like a reader,
//                             prints "received: ..." for every message
//   as-nobody COMMAND ...     the command as user nobody (only when run as root)
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

sockaddr_un addressOf(const char *path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    return address;
}

// A connection to path, retried while the listener's queue is full; -1 after 5 s.
int connectTo(const char *path)
{
    const sockaddr_un address = addressOf(path);
    const auto start = Clock::now();
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            return fd;
        const int error = errno;
        ::close(fd);
        if (error != EAGAIN || msSince(start) > 5000)
            return -1;
        ::usleep(2000);
    }
}

std::string escaped(const std::string &bytes)
{
    std::string out;
    for (const unsigned char c : bytes) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20 || c == 0x7f)
            out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
        else
            out += static_cast<char>(c);
    }
    return out;
}

// Reads what comes until the other end closes or `ms` pass; true when it closed.
bool readUntilClosed(int fd, long ms, std::string &received)
{
    const auto start = Clock::now();
    for (;;) {
        const long left = ms - msSince(start);
        if (left <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return true;
        received.append(buffer, static_cast<size_t>(n));
    }
}

int hold(const char *path, int count, int seconds)
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    std::vector<pollfd> open;
    for (int i = 0; i < count; ++i) {
        const int fd = connectTo(path);
        if (fd < 0)
            break;
        open.push_back({fd, POLLIN, 0});
    }
    std::printf("connected %zu\n", open.size());
    std::fflush(stdout);
    size_t closed = 0;
    const auto start = Clock::now();
    while (closed < open.size() && msSince(start) < seconds * 1000L) {
        if (::poll(open.data(), open.size(), 100) <= 0)
            continue;
        for (pollfd &p : open) {
            if (p.fd < 0 || p.revents == 0)
                continue;
            char buffer[64];
            if (::read(p.fd, buffer, sizeof buffer) <= 0) {
                ::close(p.fd);
                p.fd = -1;
                ++closed;
            }
        }
    }
    std::printf("closed %zu\n", closed);
    return 0;
}

int silent(const char *path)
{
    const int fd = connectTo(path);
    if (fd < 0) {
        std::printf("no connection\n");
        return 1;
    }
    const auto start = Clock::now();
    std::string received;
    if (readUntilClosed(fd, 20000, received))
        std::printf("closed after %ld ms\n", msSince(start));
    else
        std::printf("still open\n");
    std::printf("answer: %s\n", escaped(received).c_str());
    return 0;
}

int send(const char *path)
{
    std::string message;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
        message.append(buffer, n);
    const int fd = connectTo(path);
    if (fd < 0) {
        std::printf("no connection\n");
        return 1;
    }
    const auto start = Clock::now();
    if (::write(fd, message.data(), message.size()) != static_cast<ssize_t>(message.size()))
        std::printf("not all sent\n");
    std::string received;
    const bool closed = readUntilClosed(fd, 10000, received);
    std::printf("answer: %s\n", escaped(received).c_str());
    if (closed)
        std::printf("closed after %ld ms\n", msSince(start));
    else
        std::printf("still open\n");
    return 0;
}

int listenAt(const char *path, int seconds)
{
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(path);
    if (server < 0 ||
        ::bind(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(server, 16) != 0) {
        std::printf("cannot listen: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    const auto start = Clock::now();
    while (msSince(start) < seconds * 1000L) {
        pollfd p{server, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int client = ::accept(server, nullptr, nullptr);
        if (client < 0)
            continue;
        std::string received;
        readUntilClosed(client, 1000, received);
        std::printf("received: %s\n", escaped(received).c_str());
        std::fflush(stdout);
        (void)!::write(client, "ok\n", 3);
        ::close(client);
    }
    ::unlink(path);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // A reader that drops the connection first must not end the probe.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc >= 3 && std::strcmp(argv[1], "as-nobody") == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            std::perror("setuid");
            return 2;
        }
        ++argv;
        --argc;
    }
    const std::string mode = argc >= 2 ? argv[1] : "";
    if (mode == "hold" && argc == 5)
        return hold(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (mode == "silent" && argc == 3)
        return silent(argv[2]);
    if (mode == "send" && argc == 3)
        return send(argv[2]);
    if (mode == "listen" && argc == 4)
        return listenAt(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: tibbo-socket-probe [as-nobody] hold|silent|send|listen ...\n");
    return 2;
}
