// The content folder's lookup order: an explicit choice (option, then the
// environment variable) is taken or refused, never silently replaced; then
// the working folder, the installed folder, the build tree's folder.
#include "app/ContentDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/Catalogue.h"

namespace {

namespace fs = std::filesystem;

class ContentDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("korvane-contentdir-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    // A folder; with content, it holds the release's index page.
    fs::path Folder(const std::string& rel, bool withContent) {
        const fs::path p = root_ / rel;
        fs::create_directories(p);
        if (withContent) std::ofstream(p / std::string(app::kInfoPage)) << "<html></html>";
        return p;
    }
    fs::path root_;
};

TEST_F(ContentDirTest, HoldsContentOnlyWithTheIndexPageAsAFile) {
    EXPECT_TRUE(app::HoldsContent(Folder("full", true)));
    EXPECT_FALSE(app::HoldsContent(Folder("empty", false)));
    EXPECT_FALSE(app::HoldsContent(root_ / "missing"));
    EXPECT_FALSE(app::HoldsContent({}));
    const fs::path odd = Folder("odd", false);
    fs::create_directories(odd / std::string(app::kInfoPage));  // a folder of that name is no page
    EXPECT_FALSE(app::HoldsContent(odd));
}

TEST_F(ContentDirTest, TheOptionComesFirstAndIsNeverReplaced) {
    app::ContentLookup l;
    l.workingDir = Folder("cwd", true);
    l.environment = Folder("env", true);
    l.option = Folder("opt", true);
    EXPECT_EQ(app::FindContentDir(l).dir, root_ / "opt");

    // Relative to the working folder, normalised.
    l.option = fs::path("../opt/");
    EXPECT_EQ(app::FindContentDir(l).dir, (root_ / "opt/").lexically_normal());

    // A wrong folder named on purpose is an error, though others would do.
    l.option = Folder("optempty", false);
    const app::ContentChoice c = app::FindContentDir(l);
    EXPECT_TRUE(c.dir.empty());
    EXPECT_NE(c.error.find("--content"), std::string::npos) << c.error;
    EXPECT_NE(c.error.find(std::string(app::kInfoPage)), std::string::npos) << c.error;
}

TEST_F(ContentDirTest, TheEnvironmentComesBeforeTheFoldersAndIsNeverReplaced) {
    app::ContentLookup l;
    l.workingDir = Folder("cwd", true);
    l.environment = Folder("env", true);
    EXPECT_EQ(app::FindContentDir(l).dir, root_ / "env");
    l.environment = root_ / "nowhere";
    const app::ContentChoice c = app::FindContentDir(l);
    EXPECT_TRUE(c.dir.empty());
    EXPECT_NE(c.error.find(app::kContentEnv), std::string::npos) << c.error;
}

TEST_F(ContentDirTest, WorkingFolderThenInstalledThenBuildTree) {
    app::ContentLookup l;
    const fs::path bin = Folder("prefix/bin", false);
    l.executableDir = bin;
    l.workingDir = Folder("home", false);
    Folder("prefix/bin/content", true);  // a build tree keeps it beside the program
    EXPECT_EQ(app::FindContentDir(l).dir, bin / "content");

    Folder("prefix/share/korvane/content", true);
    EXPECT_EQ(app::FindContentDir(l).dir, root_ / "prefix/share/korvane/content");

    l.workingDir = Folder("dev", true);
    EXPECT_EQ(app::FindContentDir(l).dir, root_ / "dev");
}

TEST_F(ContentDirTest, NothingFoundNamesEveryPlaceAndTheWayOut) {
    app::ContentLookup l;
    l.workingDir = Folder("home", false);
    l.executableDir = Folder("prefix/bin", false);
    const app::ContentChoice c = app::FindContentDir(l);
    EXPECT_TRUE(c.dir.empty());
    for (const std::string& part : {(root_ / "home").string(), (root_ / "prefix/share/korvane/content").string(),
                                    (root_ / "prefix/bin/content").string(), std::string("--content"),
                                    std::string(app::kContentEnv)}) {
        EXPECT_NE(c.error.find(part), std::string::npos) << part << " missing from: " << c.error;
    }
    // Without a known executable only the working folder is tried.
    l.executableDir.clear();
    EXPECT_TRUE(app::FindContentDir(l).dir.empty());
}

TEST(ExecutableDirTest, IsTheFolderOfThisTest) {
    const fs::path dir = app::ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(fs::exists(dir / "app_contentdir_test"));
}

}  // namespace
