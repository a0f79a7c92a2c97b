#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sys/file_find.h"
#include "tests/unit/platform/sys/temp_root.h"

namespace platform {
namespace {

using testing::TempRoot;

TEST(Wildcard, StarAndQuestionMark) {
  EXPECT_TRUE(MatchesWildcard("*.bin", "QVX.CON.01.607.bin"));
  EXPECT_FALSE(MatchesWildcard("*.bin", "QVX.bin.bak"));
  EXPECT_TRUE(MatchesWildcard("QVX.CON.01.???.bin", "QVX.CON.01.607.bin"));
  EXPECT_FALSE(MatchesWildcard("?.hex", "ab.hex"));
  EXPECT_TRUE(MatchesWildcard("a*b*c", "axxbyybzc"));  // the first 'b' is not the one
  EXPECT_FALSE(MatchesWildcard("a*b*c", "axxbyy"));
  EXPECT_TRUE(MatchesWildcard("*.*", "NoExtension"));
  EXPECT_TRUE(MatchesWildcard("*", ""));
}

class FileFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.bin", "b.bin", "c.hex", "QVX.CON.01.607.COMP.bin"}) {
      root_.Write(std::filesystem::path("Program Files/Orvanta") / name, name);
    }
  }

  // Every match of `pattern` as its full path, in the order found.
  std::vector<std::string> Paths(const char* pattern) {
    CFileFind find;
    std::vector<std::string> paths;
    for (BOOL more = find.FindFile(pattern); more;) {
      more = find.FindNextFile();
      paths.push_back(find.GetFilePath());
    }
    return paths;
  }

  TempRoot root_;
};

TEST_F(FileFindTest, WildcardsFindEveryMatchOnce) {
  EXPECT_EQ(Paths("C:\\Program Files\\Orvanta\\?.bin"),
            (std::vector<std::string>{"C:\\Program Files\\Orvanta\\a.bin",
                                      "C:\\Program Files\\Orvanta\\b.bin"}));
  EXPECT_EQ(Paths("C:\\Program Files\\Orvanta\\*").size(), 4u);
  EXPECT_TRUE(Paths("C:\\Program Files\\Orvanta\\*.cvm").empty());
}

TEST_F(FileFindTest, PlainNamesFindFilesAndFolders) {
  CFileFind find;
  ASSERT_TRUE(find.FindFile("C:\\Program Files"));
  EXPECT_FALSE(find.FindNextFile());  // the only match is also the last
  EXPECT_EQ(find.GetFileName(), "Program Files");
  EXPECT_TRUE(find.IsDirectory());

  ASSERT_TRUE(find.FindFile("C:\\Program Files\\Orvanta\\QVX.CON.01.607.COMP.bin"));
  find.FindNextFile();
  EXPECT_FALSE(find.IsDirectory());
  EXPECT_FALSE(find.FindFile("C:\\Program Files\\Orvanta\\QVX.CON.01.607.bootblock.bin"));
  EXPECT_FALSE(find.FindFile("C:\\Program FilesOrvanta\\a.bin"));
}

}  // namespace
}  // namespace platform
