#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

// The line to one instrument, whatever carries it: a serial port of this computer or a port of a
// serial device server on the network. Nothing in it waits: an open that takes time (a name to
// look up, a connection to make) goes on while the driver waits on descriptor(), and reads and
// writes take what is there. A further kind of line is one more class behind this interface,
// made by makeLineStream for the names it owns.
class LineStream {
public:
    virtual ~LineStream() = default;

    // Begins to open the line at baudRate; a line that needs no time is open on return. Throws
    // PortError when it will not open, and closes the line.
    virtual void open(std::uint32_t baudRate) = 0;
    // The open goes on: wait on descriptor() for reading, then call proceed().
    virtual bool opening() const { return false; }
    // Carries the open on as far as it goes without waiting. Throws PortError when it failed,
    // and closes the line.
    virtual void proceed() {}
    virtual void close() = 0;
    // Open, or opening.
    virtual bool isOpen() const = 0;
    // The descriptor to wait on; -1 when closed.
    virtual int descriptor() const = 0;

    // Reading and writing never throw: a vanished far end reads as silence, and hungUp() tells
    // it apart.
    virtual std::size_t read(std::span<std::uint8_t> destination) = 0;
    // Takes what the line takes now; returns how many bytes it took.
    virtual std::size_t write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes of the line's own wait to go out (a protocol's answers, what the socket did not take
    // yet): the driver waits for writing, and write() sends them first.
    virtual bool holdsOutput() const { return false; }
    // The far end is gone for good: reads will never bring bytes again.
    virtual bool hungUp() const = 0;
    // What the far end said when it refused this client as it ended the connection (a server
    // that serves one client at a time); empty otherwise.
    virtual std::string refusal() const { return {}; }
};

// The line a port's name names: `rfc2217://HOST:PORT` and `tcp://HOST:PORT` a port of a serial
// device server, anything else the path of a serial device. Throws PortError for a network
// port's name that is not whole.
std::unique_ptr<LineStream> makeLineStream(const std::string& name);
