#pragma once

// The platform half of a parallel port: Linux's ppdev driver (/dev/parport*), claimed
// exclusively, its eight data lines written with one ioctl. Not part of the framework's
// interface.

#include <cstdint>
#include <string>

namespace Stimora {

/// The system calls the port makes, replaceable so that the ioctl sequence can be checked
/// without a port.
struct ParallelPortCalls {
    int (*open)(const char* path, int flags);                    ///< open(2)
    int (*ioctl)(int fd, unsigned long request, void* argument); ///< ioctl(2)
    int (*close)(int fd);                                        ///< close(2)
};

/// One claimed parallel port. Every failure raises an Exception attributed to
/// APIParallelPort ("DEVICE ERROR") that names the path and the system's reason.
class APIParallelPort {
public:
    /// Opens path, asks for it alone (PPEXCL), claims it (PPCLAIM) and sets its data lines to
    /// drive (PPDATADIR forward).
    explicit APIParallelPort(const std::string& path);
    /// Releases the port (PPRELEASE) and closes it.
    ~APIParallelPort();

    APIParallelPort(const APIParallelPort&) = delete;
    APIParallelPort& operator=(const APIParallelPort&) = delete;

    /// Puts value on the data lines (PPWDATA); before and after are the clock counts around the
    /// call.
    void write(std::uint8_t value, std::int64_t& before, std::int64_t& after);
    /// The path the port was opened by.
    const std::string& path() const { return path_; }

    /// Replaces the system calls (tests); null restores the system's own.
    static void setCalls(const ParallelPortCalls* calls);

private:
    std::string path_;
    int fd = -1;
};

} // namespace Stimora
