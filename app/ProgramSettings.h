#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class SerialLink;

// The program's own settings: the data folder and zenset.sys with the stored COM port
// (COMMPORT) and the optional device names of COM numbers (COMMDEVICE<n>).
class ProgramSettings {
public:
    // Shows one fixed message, with the operating system's reason as detail when there is one.
    using MessageSink = std::function<void(std::string_view message, std::string_view detail)>;

    // $XDG_DATA_HOME/Orvell/Mirafen (default ~/.local/share/Orvell/Mirafen), created here;
    // failures to create it are ignored.
    void establishDataFolder();
    const std::string& dataFolder() const { return dataFolder_; }
    std::string settingsPath() const;

    // The stored port (low 8 bits of COMMPORT); none when the file cannot be opened or holds
    // no COMMPORT. A missing file is created empty.
    std::optional<std::uint8_t> readCommPort() const;
    // Stores COMMPORT; false when zenset.sys cannot be opened. Throws FileError midway.
    bool storeCommPort(std::uint8_t port) const;
    // The device that COM n stands for: COMMDEVICE<n> when set, else /dev/ttyS<n-1>.
    std::string commDevice(int comNumber) const;

    // Reads the stored port and opens it on link; false when none is stored.
    bool loadCommPort(SerialLink& link, const MessageSink& show);
    // Stores port and opens it on link, falling back to previousPort when it cannot be opened.
    void saveCommPort(SerialLink& link, std::uint8_t port, const MessageSink& show);

    std::uint8_t previousPort = 0;

private:
    void openOrFallBack(SerialLink& link, std::uint8_t port, const MessageSink& show);

    std::string dataFolder_;
};
