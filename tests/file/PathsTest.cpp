#include "file/Paths.h"
#include "devices/Clock.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

using namespace Stimora;
namespace fs = std::filesystem;

namespace {

// 8 September 2009, 15:30:12 UTC.
std::time_t septemberEighth() {
    return 1252423812;
}

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = std::string(old);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/stimora-paths-XXXXXX";
        root_ = mkdtemp(pattern);
        home_ = root_ + "/home";
        config_ = root_ + "/config";
        fs::create_directories(home_);
        fs::create_directories(config_);
        std::ofstream(config_ + "/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                   << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                   << "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n";
        home = std::make_unique<ScopedEnvironment>("HOME", home_.c_str());
        configHome = std::make_unique<ScopedEnvironment>("XDG_CONFIG_HOME", config_.c_str());
        tz = std::make_unique<ScopedEnvironment>("TZ", "UTC");
        tzset();
        setCalendarTimeSource(septemberEighth);
        setSettingsFolderName("Stimora");
        setCurrentExperimentName("");
        initializePaths();
    }
    void TearDown() override {
        setCalendarTimeSource(nullptr);
        setCurrentExperimentName("");
        setSettingsFolderName("Stimora");
        home.reset();
        configHome.reset();
        tz.reset();
        tzset();
        fs::remove_all(root_);
    }

    std::string root_, home_, config_;
    std::unique_ptr<ScopedEnvironment> home, configHome, tz;
};

std::string executableDirectory() {
    return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

} // namespace

TEST_F(PathsTest, TokenValuesEndWithASeparator) {
    EXPECT_EQ(pathTokenValue("%APP%"), executableDirectory());
    EXPECT_EQ(pathTokenValue("%RESOURCES%"), executableDirectory() + "Resources/");
    EXPECT_EQ(pathTokenValue("%USER_HOME%"), home_ + "/");
    EXPECT_EQ(pathTokenValue("%USER_SETTING%"), config_ + "/Stimora/");
    EXPECT_EQ(pathTokenValue("%USER_DOCUMENTS_ROOT%"), home_ + "/Docs/");
    EXPECT_EQ(pathTokenValue("%USER_DOCUMENTS%"), home_ + "/Docs/Stimora/");
    EXPECT_EQ(pathTokenValue("%UNKNOWN%"), "");
    EXPECT_EQ(settingsFolderName(), "Stimora");
}

TEST_F(PathsTest, ResultFileTemplateInTheDocumentsFolder) {
    setCurrentExperimentName("X");
    EXPECT_EQ(expandPath("%USER_DOCUMENTS%%EXPNAME__%TIME_.dat"),
              home_ + "/Docs/Stimora/X/X_20090908_153012.dat");
}

TEST_F(PathsTest, SeparatorsAreNormalised) {
    EXPECT_EQ(expandPath("a/b/c.dat"), "a/b/c.dat");
    EXPECT_EQ(expandPath("a\\b\\c.dat"), "a/b/c.dat");
    EXPECT_EQ(expandPath("D:/data/x.dat"), "D/data/x.dat");
    EXPECT_EQ(expandPath("%APP%images\\a.png"), executableDirectory() + "images/a.png");
}

TEST_F(PathsTest, IllegalCharactersAreRemoved) {
    EXPECT_EQ(expandPath("a;b,c:d*e?f\"g<h>i|j.txt"), "abcdefghij.txt");
    EXPECT_EQ(expandPath(std::string(";,:*?\"<>|")), "");
}

TEST_F(PathsTest, OnlyTheFirstOccurrenceOfADirectoryTokenIsReplaced) {
    EXPECT_EQ(expandPath("%APP%x%APP%"), executableDirectory() + "x%APP%");
    EXPECT_EQ(expandPath("%USER_HOME%"), home_ + "/");
}

TEST_F(PathsTest, EveryTimeTokenGetsTheSameStamp) {
    EXPECT_EQ(expandPath("%TIME_-%TIME_"), "20090908_153012-20090908_153012");
}

TEST_F(PathsTest, ExperimentNameFollowsTheCurrentName) {
    EXPECT_EQ(expandPath("%USER_SETTING%"), config_ + "/Stimora/");
    setCurrentExperimentName("Contrast");
    EXPECT_EQ(expandPath("%USER_SETTING%a"), config_ + "/Stimora/Contrast/a");
    EXPECT_EQ(expandPath("%USER_SETTING%a"), config_ + "/Stimora/Contrast/a");
    EXPECT_EQ(pathTokenValue("%USER_SETTING%"), config_ + "/Stimora/Contrast/");
    EXPECT_EQ(expandPath("%EXPNAME_%EXPNAME_"), "ContrastContrast");
    setCurrentExperimentName("");
    EXPECT_EQ(expandPath("%USER_DOCUMENTS%"), home_ + "/Docs/Stimora/");
}

TEST_F(PathsTest, AnotherSettingsFolderDropsTheExperimentName) {
    setCurrentExperimentName("Contrast");
    setSettingsFolderName("Lab");
    EXPECT_EQ(expandPath("%USER_SETTING%"), config_ + "/Lab/");
    EXPECT_EQ(expandPath("%USER_DOCUMENTS%"), home_ + "/Docs/Lab/");
}

TEST_F(PathsTest, ExperimentNameIsInsertedAfterTheFilter) {
    setCurrentExperimentName("class Stimora::Gabor");
    EXPECT_EQ(expandPath("%EXPNAME_.dat"), "class Stimora::Gabor.dat");
    // A name holding its own token is inserted once, not expanded forever.
    setCurrentExperimentName("a%EXPNAME_b");
    EXPECT_EQ(expandPath("[%EXPNAME_]"), "[a%EXPNAME_b]");
}

TEST_F(PathsTest, CharacterArrayForm) {
    const char path[] = "x\\%TIME_.png";
    EXPECT_EQ(expandPath(path), "x/20090908_153012.png");
    EXPECT_EQ(expandPath(static_cast<const char*>(nullptr)), "");
}

TEST_F(PathsTest, DocumentsFallBackToHomeDocuments) {
    fs::remove(config_ + "/user-dirs.dirs");
    initializePaths();
    EXPECT_EQ(pathTokenValue("%USER_DOCUMENTS_ROOT%"), home_ + "/Documents/");
}

TEST_F(PathsTest, ConfigurationFallsBackToHomeConfig) {
    ScopedEnvironment noConfig("XDG_CONFIG_HOME", nullptr);
    initializePaths();
    EXPECT_EQ(pathTokenValue("%USER_SETTING%"), home_ + "/.config/Stimora/");
    // user-dirs.dirs is looked up in the fallback folder as well.
    fs::create_directories(home_ + "/.config");
    std::ofstream(home_ + "/.config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"/data/papers/\"\n";
    initializePaths();
    EXPECT_EQ(pathTokenValue("%USER_DOCUMENTS_ROOT%"), "/data/papers/");
}

TEST_F(PathsTest, HomeWithTrailingSeparatorGetsNoSecondOne) {
    ScopedEnvironment slashHome("HOME", (home_ + "/").c_str());
    initializePaths();
    EXPECT_EQ(pathTokenValue("%USER_HOME%"), home_ + "/");
    EXPECT_EQ(pathTokenValue("%USER_DOCUMENTS_ROOT%"), home_ + "/Docs/");
}

TEST_F(PathsTest, MissingHomeVariableUsesThePasswordDatabase) {
    ScopedEnvironment noHome("HOME", nullptr);
    ScopedEnvironment noConfig("XDG_CONFIG_HOME", nullptr);
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    initializePaths();
    std::string expected = entry->pw_dir;
    if (expected.back() != '/')
        expected += '/';
    EXPECT_EQ(pathTokenValue("%USER_HOME%"), expected);
}
