#include "printer/cups_server_probe.h"

#include "printer/cups_library.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool Wait(int fd, short events, Clock::time_point deadline)
{
    pollfd entry { fd, events, 0 };
    for (;;) {
        const int ready = ::poll(&entry, 1, Remaining(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Connects without blocking past the deadline; false when refused or too slow.
bool Connect(int fd, const sockaddr* address, socklen_t length, Clock::time_point deadline)
{
    if (::connect(fd, address, length) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EAGAIN)
        return false;
    if (!Wait(fd, POLLOUT, deadline))
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// Sends a request and waits for the first byte of any reply (or the server closing).
bool Answers(int fd, Clock::time_point deadline)
{
    static const char request[] =
        "OPTIONS * HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
    if (::send(fd, request, sizeof request - 1, MSG_NOSIGNAL) < 0)
        return false;
    return Wait(fd, POLLIN, deadline);
}

bool DomainSocketAnswers(const std::string& path, Clock::time_point deadline)
{
    sockaddr_un address {};
    if (path.size() >= sizeof address.sun_path)
        return true;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        return true;
    return Connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address,
                   deadline) &&
           Answers(socket.get(), deadline);
}

bool HostAnswers(std::string host, int port, Clock::time_point deadline)
{
    // "host:port", "[v6]:port" or a bare host.
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        if (close != std::string::npos && close + 1 < host.size() && host[close + 1] == ':')
            port = std::atoi(host.c_str() + close + 2);
        host = host.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else if (const size_t colon = host.rfind(':');
               colon != std::string::npos && host.find(':') == colon) {
        port = std::atoi(host.c_str() + colon + 1);
        host.resize(colon);
    }
    addrinfo hints {};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool answered = false;
    for (const addrinfo* a = found; a && !answered && Remaining(deadline) > 0; a = a->ai_next) {
        const Socket socket(
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        answered = socket.get() >= 0 &&
                   Connect(socket.get(), a->ai_addr, a->ai_addrlen, deadline) &&
                   Answers(socket.get(), deadline);
    }
    ::freeaddrinfo(found);
    return answered;
}

} // namespace

bool CupsServerAnswers(std::chrono::milliseconds limit)
{
    const CupsLibrary& cups = Cups();
    const char* server = cups.cupsServer ? cups.cupsServer() : nullptr;
    if (!server || !*server)
        return true;
    const Clock::time_point deadline = Clock::now() + limit;
    if (server[0] == '/')
        return DomainSocketAnswers(server, deadline);
    return HostAnswers(server, cups.ippPort ? cups.ippPort() : 631, deadline);
}
