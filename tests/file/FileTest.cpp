#include "file/File.h"
#include "base/Exception.h"
#include "file/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using Stimora::Exception;
using Stimora::File;
namespace fs = std::filesystem;

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        start_ = fs::current_path();
        char pattern[] = "/tmp/stimora-file-XXXXXX";
        root_ = mkdtemp(pattern);
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(root_);
    }

    fs::path start_;
    std::string root_;
};

void expectSetDirectoryFailure(const std::string& path) {
    try {
        File::setCurrentDirectory(path, false);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(), "class Stimora::File [] Failed to set current directory to requested path.");
    }
}

} // namespace

TEST_F(FileTest, GetCurrentDirectory) {
    EXPECT_EQ(File::getCurrentDirectory(), fs::current_path().string());
}

TEST_F(FileTest, SetExistingDirectory) {
    EXPECT_TRUE(File::setCurrentDirectory(root_));
    EXPECT_EQ(File::getCurrentDirectory(), root_);
}

TEST_F(FileTest, MissingDirectoryRaisesWithoutCreate) {
    expectSetDirectoryFailure(root_ + "/absent");
    EXPECT_EQ(fs::current_path(), start_);
    EXPECT_FALSE(fs::exists(root_ + "/absent"));
}

TEST_F(FileTest, CreateMakesOneLevel) {
    EXPECT_TRUE(File::setCurrentDirectory(root_ + "/made", true));
    EXPECT_EQ(File::getCurrentDirectory(), root_ + "/made");
    EXPECT_TRUE(fs::is_directory(root_ + "/made"));
}

TEST_F(FileTest, CreateNeedsAnExistingParent) {
    EXPECT_FALSE(File::setCurrentDirectory(root_ + "/a/b", true));
    EXPECT_FALSE(fs::exists(root_ + "/a"));
    EXPECT_EQ(fs::current_path(), start_);
}

TEST_F(FileTest, ApplicationDirectory) {
    Stimora::initializePaths();
    File::setCurrentDirectoryToApplication();
    EXPECT_EQ(File::getCurrentDirectory(), fs::read_symlink("/proc/self/exe").parent_path().string());
}

TEST_F(FileTest, VanishedCurrentDirectoryCannotBeReported) {
    fs::create_directory(root_ + "/gone");
    fs::current_path(root_ + "/gone");
    fs::remove(root_ + "/gone");
    try {
        File::getCurrentDirectory();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(), "class Stimora::File [] Failed to get current directory.");
    }
}
