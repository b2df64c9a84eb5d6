#include "file/Paths.h"

#include "Platform.h"
#include "base/Exception.h"
#include "file/File.h"

#include <ctime>

namespace Stimora {

namespace {

struct PathToken {
    const char* token;
    std::size_t length;
    std::string value;
};

enum { appToken, resourcesToken, homeToken, settingToken, documentsToken, documentsRootToken, tokenCount };

// Fixed order: the expansion replaces tokens in this order.
PathToken tokens[tokenCount] = {
    {"%APP%", 5, {}},           {"%RESOURCES%", 11, {}},      {"%USER_HOME%", 11, {}},
    {"%USER_SETTING%", 14, {}}, {"%USER_DOCUMENTS%", 16, {}}, {"%USER_DOCUMENTS_ROOT%", 21, {}},
};

std::string settingBase;

std::string& settingsName() {
    static std::string name = "Stimora";
    return name;
}

std::string& experimentName() {
    static std::string name;
    return name;
}

std::string asDirectory(const std::string& path) {
    return !path.empty() && path.back() == '/' ? path : path + '/';
}

void refreshDerivedTokens() {
    tokens[settingToken].value = settingBase + settingsName() + '/';
    tokens[documentsToken].value = tokens[documentsRootToken].value + settingsName() + '/';
    if (settingsName() == "Stimora" && !experimentName().empty()) {
        tokens[settingToken].value += experimentName() + '/';
        tokens[documentsToken].value += experimentName() + '/';
    }
}

// Replaces every occurrence, continuing after each inserted text so that a replacement
// holding the token itself cannot loop forever.
void replaceAll(std::string& text, const std::string& token, const std::string& value) {
    std::size_t at = text.find(token);
    while (at != std::string::npos) {
        text.replace(at, token.size(), value);
        at = text.find(token, at + value.size());
    }
}

} // namespace

void initializePaths() {
    const std::string executable = platformExecutablePath();
    const std::size_t cut = executable.find_last_of('/');
    tokens[appToken].value = cut == std::string::npos ? std::string() : executable.substr(0, cut + 1);
    tokens[resourcesToken].value = tokens[appToken].value + "Resources/";

    const std::string home = platformHomeDirectory();
    if (home.empty())
        throw Exception(typeid(File), "", "Failed to get user home path.");
    tokens[homeToken].value = asDirectory(home);
    settingBase = asDirectory(platformConfigDirectory());
    tokens[documentsRootToken].value = asDirectory(platformDocumentsDirectory());
    refreshDerivedTokens();
}

std::string expandPath(const std::string& path) {
    std::string result = path;
    refreshDerivedTokens();
    for (char& c : result)
        if (c == '\\')
            c = '/';
    for (const char illegal : {';', ',', ':', '*', '?', '"', '<', '>', '|'}) {
        std::string kept;
        kept.reserve(result.size());
        for (const char c : result)
            if (c != illegal)
                kept += c;
        result.swap(kept);
    }
    for (const PathToken& entry : tokens) {
        const std::size_t at = result.find(entry.token);
        if (at != std::string::npos)
            result.replace(at, entry.length, entry.value);
    }
    const std::tm local = platformLocalCalendarTime();
    char stamp[64] = {};
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &local);
    replaceAll(result, "%TIME_", stamp);
    replaceAll(result, "%EXPNAME_", experimentName());
    return result;
}

std::string expandPath(const char* path) {
    return expandPath(std::string(path ? path : ""));
}

std::string pathTokenValue(const std::string& token) {
    for (const PathToken& entry : tokens)
        if (token == entry.token)
            return entry.value;
    return std::string();
}

const std::string& settingsFolderName() {
    return settingsName();
}
void setSettingsFolderName(const std::string& name) {
    settingsName() = name;
}

const std::string& currentExperimentName() {
    return experimentName();
}
void setCurrentExperimentName(const std::string& name) {
    experimentName() = name;
}

} // namespace Stimora
