#include "device/HostLookup.h"

#include <cstring>
#include <mutex>
#include <netdb.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

struct HostLookup::Shared {
    Shared()
        : finishedEvent(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Shared() { ::close(finishedEvent); }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    // Runs getaddrinfo with flags and keeps what it found; true unless the host is no number
    // where only numbers were asked for.
    bool look(const std::string& host, const std::string& port, int flags) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV | flags;
        addrinfo* found = nullptr;
        const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
        if (error == EAI_NONAME && (flags & AI_NUMERICHOST) != 0)
            return false;
        std::vector<Address> kept;
        for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
            Address address;
            std::memcpy(&address.address, entry->ai_addr, entry->ai_addrlen);
            address.length = entry->ai_addrlen;
            address.family = entry->ai_family;
            kept.push_back(address);
        }
        if (found != nullptr)
            freeaddrinfo(found);
        const std::scoped_lock lock(mutex);
        addresses = std::move(kept);
        failure = error == 0 ? "" : error == EAI_NONAME ? "unknown host" : gai_strerror(error);
        finished = true;
        const std::uint64_t one = 1;
        (void)!::write(finishedEvent, &one, sizeof one);
        return true;
    }

    const int finishedEvent;
    mutable std::mutex mutex;
    bool finished = false;
    std::vector<Address> addresses;
    std::string failure;
};

HostLookup::HostLookup(const std::string& host, const std::string& port)
    : shared(std::make_shared<Shared>()) {
    if (shared->look(host, port, AI_NUMERICHOST))
        return;
    std::thread([shared = shared, host, port] { shared->look(host, port, 0); }).detach();
}

int HostLookup::descriptor() const {
    return shared->finishedEvent;
}

bool HostLookup::finished() const {
    const std::scoped_lock lock(shared->mutex);
    return shared->finished;
}

std::vector<HostLookup::Address> HostLookup::addresses() const {
    const std::scoped_lock lock(shared->mutex);
    return shared->addresses;
}

std::string HostLookup::failure() const {
    const std::scoped_lock lock(shared->mutex);
    return shared->failure;
}
