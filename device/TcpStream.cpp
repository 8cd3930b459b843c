#include "device/TcpStream.h"

void TcpStream::open(std::uint32_t) {
    firstWords.clear();
    connection.open();
}

std::size_t TcpStream::read(std::span<std::uint8_t> destination) {
    const std::size_t count = connection.read(destination);
    firstWords.arrived(destination.first(count));
    return count;
}

std::size_t TcpStream::write(std::span<const std::uint8_t> bytes) {
    return connection.write(bytes);
}
