#pragma once

// Helpers shared by the PNG tests: a scratch folder, whole-file reads and writes, chunk
// surgery with valid CRCs, and running the command-line tools that judge our files.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace PngTestFiles {

using Bytes = std::vector<unsigned char>;

/// A fresh folder for one test program's files.
inline std::string scratchFolder() {
    static std::string folder;
    if (folder.empty()) {
        const char* base = std::getenv("STIMORA_TEST_OUTPUT");
        std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
        ::mkdir(root.c_str(), 0755);
        std::string pattern = root + "/png-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        folder = ::mkdtemp(name.data()) != nullptr ? std::string(name.data()) : "/tmp";
    }
    return folder;
}

inline std::string pathOf(const std::string& name) {
    return scratchFolder() + "/" + name;
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Exit status and standard output of a shell command.
inline std::pair<int, std::string> run(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return {-1, output};
    }
    std::array<char, 256> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

inline std::uint32_t crc32(const unsigned char* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

inline std::uint32_t readBig(const Bytes& b, std::size_t at) {
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) |
           std::uint32_t(b[at + 3]);
}

inline void writeBig(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<unsigned char>(v >> 24);
    b[at + 1] = static_cast<unsigned char>(v >> 16);
    b[at + 2] = static_cast<unsigned char>(v >> 8);
    b[at + 3] = static_cast<unsigned char>(v);
}

/// A chunk's place in a PNG: offset of its length field, and its data length.
struct Chunk {
    std::size_t offset;
    std::uint32_t length;
    std::string type;
};

/// The chunks of a well-formed PNG, in order (stops at the first that runs past the end).
inline std::vector<Chunk> chunksOf(const Bytes& png) {
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = readBig(png, at);
        if (at + 12 + static_cast<std::size_t>(length) > png.size()) {
            break;
        }
        chunks.push_back({at, length, std::string(png.begin() + at + 4, png.begin() + at + 8)});
        at += 12 + length;
    }
    return chunks;
}

/// Recomputes a chunk's CRC after its data were changed, so that libpng reads past it.
inline void fixCrc(Bytes& png, const Chunk& chunk) {
    const std::size_t crcAt = chunk.offset + 8 + chunk.length;
    if (crcAt + 4 <= png.size()) {
        writeBig(png, crcAt, crc32(&png[chunk.offset + 4], 4 + static_cast<std::size_t>(chunk.length)));
    }
}

/// The PNG with its header's width and height replaced (CRC kept valid).
inline Bytes withDimensions(Bytes png, std::uint32_t width, std::uint32_t height) {
    const std::vector<Chunk> chunks = chunksOf(png);
    if (!chunks.empty() && chunks[0].type == "IHDR") {
        writeBig(png, chunks[0].offset + 8, width);
        writeBig(png, chunks[0].offset + 12, height);
        fixCrc(png, chunks[0]);
    }
    return png;
}

} // namespace PngTestFiles
