#pragma once

#include "support/FrameBytes.h"

#include <string>

// A TCP server on a loopback address and a free port, for one client at a time: what a serial
// device server looks like from the network. Every wait is for the client, never for a time.
class LoopbackServer {
public:
    // On 127.0.0.1, or ::1 when ipv6, keeping backlog connections waiting to be accepted.
    explicit LoopbackServer(bool ipv6 = false, int backlog = 4);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // The port number, as a port's name writes it.
    std::string port() const { return std::to_string(portNumber); }
    // Waits for the next client and takes its connection.
    void accept();
    // Waits until at least count bytes came from the client, and takes them.
    Bytes receive(std::size_t count);
    void send(const Bytes& bytes);
    // Ends the client's connection.
    void hangUp();
    // Stops listening, so that a client's connection is refused.
    void stopListening();

private:
    int listening = -1;
    int client = -1;
    int portNumber = 0;
};
