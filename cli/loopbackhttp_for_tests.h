// A small HTTP server on 127.0.0.1 for the tests of fetched inputs: it listens on a free port and
// answers each path with a canned response, one thread per connection. Test-only.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clitest {

class LoopbackHttpServer {
  public:
    struct Response {
        int status = 200;
        std::string headers;  // extra header lines, each ending in CR LF
        std::string body;
        bool sendLength = true;              // Content-Length, or the body ended by closing the connection
        std::chrono::milliseconds delay{0};  // before answering (cut short when the server stops)
    };

    explicit LoopbackHttpServer(std::map<std::string, Response> routes) : routes_(std::move(routes)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;  // a free port
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listener_, 64) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;
    ~LoopbackHttpServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stopped_.notify_all();
        acceptor_.join();
        for (std::thread& t : connections_) t.join();
        ::close(listener_);
    }

    int port() const { return port_; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    int requests() const { return requests_; }

  private:
    void acceptLoop() {
        while (true) {
            {
                std::lock_guard lock(mutex_);
                if (stopping_) return;
            }
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) connections_.emplace_back([this, fd] { answer(fd); });
        }
    }

    void answer(int fd) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) break;
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        ++requests_;
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        const auto route = routes_.find(path);
        Response response = route == routes_.end() ? Response{404, "", "no such page", true, {}} : route->second;
        {
            std::unique_lock lock(mutex_);
            stopped_.wait_for(lock, response.delay, [this] { return stopping_; });
        }
        std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " Canned\r\n" + response.headers;
        if (response.sendLength) reply += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        reply += "Connection: close\r\n\r\n" + response.body;
        for (std::size_t sent = 0; sent < reply.size();) {
            const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }

    std::map<std::string, Response> routes_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::thread acceptor_;
    std::vector<std::thread> connections_;  // touched by the acceptor only, joined after it
};

}  // namespace clitest
