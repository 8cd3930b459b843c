#pragma once

#include "device/LineStream.h"
#include "device/NetworkConnection.h"
#include "device/ServerRefusal.h"

// A port of a serial device server as raw bytes over TCP (`tcp://HOST:PORT`): the server's own
// port settings stand.
class TcpStream : public LineStream {
public:
    explicit TcpStream(NetworkAddress address)
        : connection(std::move(address)) {}

    void open(std::uint32_t baudRate) override;
    bool opening() const override { return connection.connecting(); }
    void proceed() override { connection.proceed(); }
    void close() override { connection.close(); }
    bool isOpen() const override { return connection.isOpen(); }
    int descriptor() const override { return connection.descriptor(); }
    std::size_t read(std::span<std::uint8_t> destination) override;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool hungUp() const override { return connection.hungUp(); }
    std::string refusal() const override { return firstWords.refusal(connection.hungUp()); }

private:
    NetworkConnection connection;
    ServerRefusal firstWords;
};
