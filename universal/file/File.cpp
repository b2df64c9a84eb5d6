#include "file/File.h"

#include "base/Exception.h"
#include "file/Paths.h"

#include <filesystem>
#include <system_error>

namespace Stimora {

namespace {

bool changeTo(const std::string& path) {
    std::error_code error;
    std::filesystem::current_path(path, error);
    return !error;
}

} // namespace

std::string File::getCurrentDirectory() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error)
        throw Exception(typeid(File), "", "Failed to get current directory.");
    return current.string();
}

bool File::setCurrentDirectory(const std::string& path, bool create) {
    if (changeTo(path))
        return true;
    if (!create)
        throw Exception(typeid(File), "", "Failed to set current directory to requested path.");
    std::error_code error;
    std::filesystem::create_directory(path, error); // one level only, like the host's mkdir
    return changeTo(path);
}

void File::setCurrentDirectoryToApplication() {
    if (!changeTo(pathTokenValue("%APP%")))
        throw Exception(typeid(File), "", "Failed to set current directory to requested path.");
}

} // namespace Stimora
