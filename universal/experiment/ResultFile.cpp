#include "experiment/ResultFile.h"

#include "base/Exception.h"
#include "file/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace Stimora {
namespace ExperimentalMethods {

namespace {

// The same file name in the user's home folder; empty where no home folder is known.
std::string inHomeFolder(const std::string& path) {
    std::string home = pathTokenValue("%USER_HOME%");
    if (home.empty()) {
        const char* variable = std::getenv("HOME");
        if (variable == nullptr || *variable == '\0')
            return std::string();
        home = std::string(variable) + "/";
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    return fileName.empty() ? std::string() : home + fileName;
}

// Creates (replacing) path in binary mode, so that the CR LF line ends are written as given.
bool writeWhole(const std::string& path, const std::string& bytes) {
    if (path.empty())
        return false;
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::string describeUnwritable(const char* what, const std::string& path, const std::string& fallback) {
    std::string message = std::string("Failed to create the ") + what + " \"" + path + "\"";
    if (!fallback.empty() && fallback != path)
        message += " or \"" + fallback + "\"";
    return message + ".";
}

} // namespace

std::string ResultFile::preamble(const std::string& name, const std::string& note,
                                 const std::map<std::string, Variable*>& fixed) {
    std::ostringstream text;
    text << name << "\r\n" << note << "\r\n";
    for (const auto& entry : fixed)
        text << entry.second->label() << '\t' << entry.second->toText() << ";\t";
    text << "\r\n";
    return text.str();
}

void ResultFile::name(const std::string& fileTemplate) {
    path_ = expandPath(fileTemplate);
    savedPath_.clear();
}

void ResultFile::openJournal(const std::type_info& thrower, const std::string& header) {
    if (journal_.is_open())
        journal_.close();
    const std::string beside = path_ + ".partial";
    const std::string fallback = inHomeFolder(beside);
    for (const std::string& path : {beside, fallback}) {
        if (path.empty())
            continue;
        journal_.clear();
        journal_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
        if (journal_.is_open()) {
            journalPath_ = path;
            appendToJournal(header);
            return;
        }
    }
    journalPath_ = fallback;
    throw Exception(thrower, "FILE ERROR", describeUnwritable("result journal", beside, fallback));
}

void ResultFile::appendToJournal(const std::string& line) {
    journal_.write(line.data(), static_cast<std::streamsize>(line.size()));
    journal_.flush();
}

void ResultFile::save(const std::type_info& thrower, const std::string& bytes) {
    const std::string fallback = inHomeFolder(path_);
    if (writeWhole(path_, bytes))
        savedPath_ = path_;
    else if (fallback != path_ && writeWhole(fallback, bytes))
        savedPath_ = fallback;
    else
        throw Exception(thrower, "FILE ERROR", describeUnwritable("result file", path_, fallback));

    // The result is complete: the journal has served its purpose.
    if (journal_.is_open())
        journal_.close();
    if (!journalPath_.empty())
        std::remove(journalPath_.c_str());
}

} // namespace ExperimentalMethods
} // namespace Stimora
