#pragma once

#include <string>

namespace Stimora {

/// The process's current directory. The framework itself never changes it, so relative
/// paths refer to the folder the program was started from unless an experiment moves it.
class File {
public:
    /// The current directory. Raises Exception(File, "", "Failed to get current directory.").
    static std::string getCurrentDirectory();
    /// Makes path the current directory; true when that worked. On failure: with create false
    /// raises Exception(File, "", "Failed to set current directory to requested path.");
    /// with create true makes the folder (one level: its parent must exist) and returns the
    /// result of a second attempt.
    static bool setCurrentDirectory(const std::string& path, bool create = false);
    /// Makes the executable's folder ("%APP%") the current directory; raises as above.
    static void setCurrentDirectoryToApplication();
};

} // namespace Stimora
