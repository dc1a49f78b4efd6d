#pragma once
// Keeps a server that stops answering from holding the station. A server whose machine still
// answers on the network but whose database does not (a stopped or hung server, a disk that
// no longer answers) leaves a statement waiting for good: the network sees nothing wrong.
// While a statement waits longer than its patience, the watch asks the server whether it is
// there at all (a new connection, given a couple of seconds). When nothing answers, it shuts
// the waiting connection's socket, and the statement fails as on a lost connection. A
// server that answers is left to finish, however long the statement takes (a purge, a year
// of punches).
//
// One thread, started at the first wait watched; it never touches the Qt driver's objects,
// only the socket given.

#include <QByteArray>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

namespace pw {

class ServerWatch {
public:
    ServerWatch() = default;
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    // A wait on socket, a connection to server (a libpq connection URI), watched while this
    // lives. Waits inside another watched wait go with the outer one.
    class Wait {
    public:
        Wait(ServerWatch* watch, int socket, const QByteArray& server,
             std::chrono::milliseconds patience);
        ~Wait();
        Wait(const Wait&) = delete;
        Wait& operator=(const Wait&) = delete;
        // Whether the watch shut the socket during this wait (or the outer one).
        bool shut() const;

    private:
        ServerWatch* watch_;
    };

private:
    void begin(int socket, const QByteArray& server, std::chrono::milliseconds patience);
    void end();
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    bool stop_ = false;
    int depth_ = 0;                // watched waits open, the outer one included
    unsigned generation_ = 0;      // which outer wait is watched
    bool watching_ = false;        // an outer wait is open and its socket not shut yet
    bool idle_ = false;            // the thread waits for a wait to watch, however long
    unsigned shut_generation_ = 0; // the outer wait whose socket the watch shut last
    int socket_ = -1;
    QByteArray server_;
    std::chrono::milliseconds patience_{0};
    std::chrono::steady_clock::time_point until_;
};

// Asks, on a thread of its own, whether anything answers at a server (as the watch does), so
// that a caller waits for the answer only as long as it chooses: a server out of reach costs
// the asking thread libpq's two seconds, never the caller.
class ServerAsk {
public:
    ServerAsk() = default;
    ~ServerAsk(); // waits for an ask still running, at most its two seconds
    ServerAsk(const ServerAsk&) = delete;
    ServerAsk& operator=(const ServerAsk&) = delete;

    // Whether anything answers at server: the answer of the ask started by an earlier call,
    // if it came lately, else of one started now, waited for at most patience. nullopt while
    // the ask runs on; a later call takes its answer.
    std::optional<bool> answers(const QByteArray& server, std::chrono::milliseconds patience);

private:
    struct Answer {
        bool there = true;
        std::chrono::steady_clock::time_point at;
    };
    std::future<Answer> ask_;
    QByteArray server_; // what ask_ asks
};

} // namespace pw
