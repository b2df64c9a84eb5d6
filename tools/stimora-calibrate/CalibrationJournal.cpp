#include "CalibrationJournal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace {

const char* const header = "# stimora-calibrate journal: ";

} // namespace

CalibrationJournal::CalibrationJournal(const std::string& path, const std::string& settings, bool restart)
    : file(path) {
    const std::string first = header + settings;
    std::ifstream in(path);
    bool resume = false;
    if (in && !restart) {
        std::string line;
        std::getline(in, line);
        if (line != first)
            throw std::runtime_error(
                "journal " + path + " belongs to a calibration with other settings (\"" +
                line.substr(line.find(':') == std::string::npos ? 0 : line.find(':') + 2) +
                "\"); run with --restart to discard it");
        resume = true;
        int number = 0;
        while (std::getline(in, line)) {
            // reading <n> <luminance> <what>; a torn last line (a crash mid-write) is dropped.
            char* end = nullptr;
            if (line.compare(0, 8, "reading\t") != 0 || line.back() == '\t')
                continue;
            const long n = std::strtol(line.c_str() + 8, &end, 10);
            const double l = end && *end == '\t' ? std::strtod(end + 1, &end) : -1.0;
            if (n != ++number || !end || *end != '\t' || l < 0.0)
                break;
            kept.push_back(l);
        }
    }
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (resume ? O_APPEND : O_TRUNC), 0666);
    if (fd < 0)
        throw std::runtime_error("cannot write the journal " + path + " (" + std::strerror(errno) + ")");
    if (resume) {
        // Rewritten with the readings kept, so that a torn line leaves no trace.
        std::string text = first + "\n";
        char line[128];
        for (std::size_t i = 0; i < kept.size(); ++i) {
            std::snprintf(line, sizeof line, "reading\t%zu\t%.6g\t(resumed)\n", i + 1, kept[i]);
            text += line;
        }
        if (ftruncate(fd, 0) != 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            throw std::runtime_error("cannot write the journal " + path + " (" + std::strerror(errno) + ")");
    } else {
        const std::string text = first + "\n";
        if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            throw std::runtime_error("cannot write the journal " + path + " (" + std::strerror(errno) + ")");
    }
    fsync(fd);
}

CalibrationJournal::~CalibrationJournal() {
    if (fd >= 0)
        close(fd);
}

void CalibrationJournal::append(const std::string& what, double luminance) {
    char line[256];
    const int n = std::snprintf(line, sizeof line, "reading\t%zu\t%.6g\t%s\n", kept.size() + 1, luminance,
                                what.c_str());
    if (n <= 0 || write(fd, line, static_cast<std::size_t>(n)) != n || fsync(fd) != 0)
        throw std::runtime_error("cannot write the journal " + file + " (" + std::strerror(errno) + ")");
    kept.push_back(luminance);
}

void CalibrationJournal::finish() {
    close(fd);
    fd = -1;
    unlink(file.c_str());
}
