#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// A frame, the same in both directions:
//
//   byte 0          header 0x55
//   byte 1          data length L
//   byte 2          command: a command code or a register number
//   bytes 3..L+2    data
//   byte L+3        checksum: (command + L + data bytes) mod 256; the header is not part of it
//
// so a frame is L + 4 bytes, and nothing on the line separates one frame from the next.
//
// The receiver hands on every complete frame as it came; which frames count is each consumer's
// own rule, and the rules differ on purpose:
// - the identification poll looks only at the length byte, never at the checksum;
// - the transfer exchange checks the checksum of read replies (an acknowledgement is known by
//   its bytes);
// - the simulated instrument drops a request whose checksum does not add up, as line noise.

inline constexpr std::uint8_t kFrameHeader = 0x55;
// Header, length, command and checksum.
inline constexpr std::size_t kFrameOverhead = 4;
// The transmitter's buffer, and the buffer each consumer takes a received frame into.
inline constexpr std::size_t kFrameBufferSize = 80;
inline constexpr std::size_t kMaxFrameData = kFrameBufferSize - kFrameOverhead;

constexpr std::uint8_t frameChecksum(std::uint8_t command, std::span<const std::uint8_t> data) {
    auto sum = static_cast<std::uint8_t>(command + data.size());
    for (const std::uint8_t byte : data)
        sum = static_cast<std::uint8_t>(sum + byte);
    return sum;
}

// One frame ready for the line, in a buffer of the transmitter's size.
struct EncodedFrame {
    std::array<std::uint8_t, kFrameBufferSize> buffer{};
    std::size_t size = 0;

    std::span<const std::uint8_t> bytes() const { return std::span(buffer).first(size); }
};

// None when data is longer than kMaxFrameData.
std::optional<EncodedFrame> encodeFrame(std::uint8_t command, std::span<const std::uint8_t> data);
// The same with a checksum of the caller's choosing, as a faulty instrument would send it.
std::optional<EncodedFrame> encodeFrame(std::uint8_t command, std::span<const std::uint8_t> data,
                                        std::uint8_t checksum);

// A frame as found in a buffer; its spans point into that buffer.
struct FrameView {
    std::span<const std::uint8_t> bytes; // the whole frame, header to checksum
    std::uint8_t command = 0;
    std::span<const std::uint8_t> data;
    std::uint8_t checksum = 0;

    bool checksumMatches() const { return checksum == frameChecksum(command, data); }
};

// The frame at the start of bytes, which may run on behind it (a consumer's buffer is larger
// than most frames); none unless bytes start with a header and hold the whole frame its length
// byte announces.
std::optional<FrameView> decodeFrame(std::span<const std::uint8_t> bytes);

// What the receiver finds in the bytes it holds, oldest first.
struct FrameSearch {
    std::size_t noise = 0;     // bytes before the first header; all of them when there is none
    std::size_t frameSize = 0; // of the frame behind the noise once its length byte is there
    bool complete = false;     // all frameSize bytes of it are there
};

// The receiver's search: skip to the first header byte, wait for the length byte, then for the
// whole frame. A frame is cut without looking at its checksum or command.
FrameSearch findFrame(std::span<const std::uint8_t> held);
