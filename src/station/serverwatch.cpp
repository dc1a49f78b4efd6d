#include "serverwatch.h"

#include "libpq.h"

#include <sys/socket.h>
#include <system_error>

namespace pw {

namespace {

// Whether anything answers at server within about two seconds (libpq's shortest wait). A
// server that refuses the attempt, or a URI libpq cannot use, is there as far as the watch
// can tell.
bool anything_answers(const QByteArray& server) {
    const LoadedLibpq libpq;
    const auto ping = libpq.function(PQpingParams, "PQpingParams");
    const char* const keywords[] = {"dbname", "connect_timeout", nullptr};
    const char* const values[] = {server.constData(), "2", nullptr};
    return !ping || ping(keywords, values, 1) != PQPING_NO_RESPONSE;
}

// How long an answer that nobody took stays good.
constexpr std::chrono::seconds kAnswerKept{5};

} // namespace

ServerAsk::~ServerAsk() {
    if (ask_.valid())
        ask_.wait();
}

std::optional<bool> ServerAsk::answers(const QByteArray& server,
                                       std::chrono::milliseconds patience) {
    using namespace std::chrono;
    if (ask_.valid()) {
        if (ask_.wait_for(server == server_ ? patience : 0ms) != std::future_status::ready)
            return std::nullopt;
        const Answer last = ask_.get();
        if (server == server_ && steady_clock::now() - last.at < kAnswerKept)
            return last.there;
    }
    server_ = server;
    try {
        ask_ = std::async(std::launch::async, [server] {
            return Answer{anything_answers(server), steady_clock::now()};
        });
    } catch (const std::system_error&) {
        return true; // no thread to ask on: the caller finds out itself, as it waits
    }
    if (ask_.wait_for(patience) != std::future_status::ready)
        return std::nullopt;
    return ask_.get().there;
}

ServerWatch::~ServerWatch() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

ServerWatch::Wait::Wait(ServerWatch* watch, int socket, const QByteArray& server,
                        std::chrono::milliseconds patience)
    : watch_(socket >= 0 ? watch : nullptr) {
    if (watch_)
        watch_->begin(socket, server, patience);
}

ServerWatch::Wait::~Wait() {
    if (watch_)
        watch_->end();
}

bool ServerWatch::Wait::shut() const {
    if (!watch_)
        return false;
    const std::lock_guard lock(watch_->mutex_);
    return watch_->shut_generation_ == watch_->generation_;
}

void ServerWatch::begin(int socket, const QByteArray& server, std::chrono::milliseconds patience) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        if (depth_++ > 0)
            return;
        ++generation_;
        watching_ = true;
        socket_ = socket;
        server_ = server;
        patience_ = patience;
        until_ = std::chrono::steady_clock::now() + patience;
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
        wake = idle_;
    }
    // Waking the thread for every statement would cost more than most statements: while
    // statements follow each other it wakes at the deadlines it set and finds the wait it
    // watched over.
    if (wake)
        changed_.notify_one();
}

void ServerWatch::end() {
    const std::lock_guard lock(mutex_);
    if (--depth_ == 0)
        watching_ = false;
}

void ServerWatch::run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!watching_) {
            idle_ = true;
            changed_.wait(lock);
            idle_ = false;
            continue;
        }
        const unsigned watched = generation_;
        const auto ended = [&] { return stop_ || !watching_ || generation_ != watched; };
        if (changed_.wait_until(lock, until_, ended))
            continue;
        // Past its patience: the wait goes on only while the server answers.
        const QByteArray server = server_;
        lock.unlock();
        const bool there = anything_answers(server);
        lock.lock();
        if (ended())
            continue;
        if (there) {
            until_ = std::chrono::steady_clock::now() + patience_;
            continue;
        }
        // The socket stays open (the driver closes it): only its wait ends, at once.
        ::shutdown(socket_, SHUT_RDWR);
        shut_generation_ = generation_;
        watching_ = false; // the rest of this wait is not watched again
    }
}

} // namespace pw
