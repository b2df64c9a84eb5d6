#include "APISerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "Platform.h"
#include "SpscRing.h"
#include "base/Exception.h"

namespace Stimora {

namespace {

constexpr std::size_t capacity = 8192;

struct Rate {
    int baud;
    speed_t speed;
};
constexpr Rate rates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

[[noreturn]] void fail(const std::string& path, const std::string& what) {
    throw Exception(typeid(APISerialPort), "DEVICE ERROR", "Serial port " + path + ": " + what);
}

speed_t speedOf(const std::string& path, int baud) {
    for (const Rate& rate : rates)
        if (rate.baud == baud)
            return rate.speed;
    fail(path,
         std::to_string(baud) + " baud is not a standard rate (9600, 19200, 38400, 57600, 115200, ...).");
}

void configure(int fd, const std::string& path, const SerialLine& line) {
    const speed_t speed = speedOf(path, line.baud);
    if (line.dataBits < 5 || line.dataBits > 8)
        fail(path, "data bits must be 5 to 8, not " + std::to_string(line.dataBits) + ".");
    if (line.stopBits != 1 && line.stopBits != 2)
        fail(path, "stop bits must be 1 or 2, not " + std::to_string(line.stopBits) + ".");
    if (std::strchr("NEO", line.parity) == nullptr || line.parity == '\0')
        fail(path, "parity must be none, even or odd.");
    if (std::strchr("NHS", line.flow) == nullptr || line.flow == '\0')
        fail(path, "flow control must be none, hardware or software.");
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        fail(path, "is not a serial line (" + std::string(std::strerror(errno)) + ").");
    // Raw bytes both ways: no echo, no line editing, no translation of CR or LF.
    cfmakeraw(&t);
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS)) | CREAD | CLOCAL |
                sizes[line.dataBits - 5];
    if (line.parity != 'N')
        t.c_cflag |= PARENB | (line.parity == 'O' ? PARODD : 0);
    if (line.stopBits == 2)
        t.c_cflag |= CSTOPB;
    if (line.flow == 'H')
        t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (line.flow == 'S')
        t.c_iflag |= IXON | IXOFF;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0 || tcsetattr(fd, TCSANOW, &t) != 0)
        fail(path, "the line settings were refused (" + std::string(std::strerror(errno)) + ").");
    tcflush(fd, TCIOFLUSH);
}

} // namespace

std::string platformDeviceReason(int error, const char* group) {
    std::string reason = std::strerror(error);
    if (error == EACCES || error == EPERM)
        reason += std::string(". The device belongs to the group ") + group +
                  ": add your user to it (sudo usermod -aG " + group + " $USER) and log in again";
    return reason;
}

// The reader: sleeps in poll until bytes or the stop signal come, stamps the moment it woke and
// queues every byte of the read with that stamp. Its loop allocates nothing and locks nothing.
struct APISerialPort::Reader {
    SpscRing<SerialByte, capacity> ring;
    std::atomic<int> error{0};
    int fd = -1, wake = -1;
    std::thread thread;

    void run() {
        pollfd waits[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
        std::uint8_t buffer[512];
        for (;;) {
            if (poll(waits, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                return;
            }
            const std::int64_t counter = platformClockCounter();
            if (waits[1].revents != 0)
                return;
            if (waits[0].revents == 0)
                continue;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i)
                    ring.push(SerialByte{buffer[i], counter});
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                // A line whose device went away reads as end of file or EIO.
                error = n == 0 ? EIO : errno;
                return;
            }
        }
    }
};

APISerialPort::APISerialPort(const std::string& path, const SerialLine& line) : path_(path) {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        fail(path, error == EBUSY
                       ? "busy: another program has it open (" + std::string(std::strerror(error)) + ")."
                       : "cannot open it: " + platformDeviceReason(error, "dialout") + ".");
    }
    try {
        // The lock holds against every opener, root too; the exclusive mode keeps out programs
        // that do not lock.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0)
            fail(path, "busy: another program has it open (" + std::string(std::strerror(errno)) + ").");
        configure(fd, path, line);
        ioctl(fd, TIOCEXCL);
        if (line.listen) {
            reader = std::make_unique<Reader>();
            reader->fd = fd;
            reader->wake = eventfd(0, EFD_CLOEXEC);
            if (reader->wake < 0)
                fail(path, "no reader: " + std::string(std::strerror(errno)) + ".");
            reader->thread = std::thread([r = reader.get()] { r->run(); });
            // The reader sleeps until bytes come, then must run at once to stamp them.
            sched_param realTime{};
            realTime.sched_priority = 10;
            pthread_setschedparam(reader->thread.native_handle(), SCHED_FIFO, &realTime);
        }
    } catch (...) {
        if (reader && reader->wake >= 0)
            ::close(reader->wake);
        ::close(fd);
        throw;
    }
}

APISerialPort::~APISerialPort() {
    if (reader) {
        const std::uint64_t one = 1;
        if (reader->thread.joinable()) {
            if (::write(reader->wake, &one, sizeof one) == sizeof one)
                reader->thread.join();
            else
                reader->thread.detach();
        }
        ::close(reader->wake);
    }
    ioctl(fd, TIOCNXCL);
    ::close(fd);
}

void APISerialPort::write(const std::uint8_t* bytes, std::size_t n, std::int64_t& before,
                          std::int64_t& after) {
    before = platformClockCounter();
    std::size_t done = 0;
    while (done < n) {
        const ssize_t written = ::write(fd, bytes + done, n - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN)
            fail(path_,
                 "the line takes no more bytes: its output buffer is full (is flow control holding it?).");
        fail(path_,
             "cannot write to it: " + std::string(std::strerror(errno)) + " (was the device unplugged?).");
    }
    after = platformClockCounter();
}

bool APISerialPort::take(SerialByte& byte) {
    return reader && reader->ring.pop(byte);
}

long long APISerialPort::dropped() const {
    return reader ? static_cast<long long>(reader->ring.dropped()) : 0;
}

int APISerialPort::readerError() const {
    return reader ? reader->error.load() : 0;
}

std::size_t APISerialPort::queueCapacity() {
    return capacity;
}

} // namespace Stimora
