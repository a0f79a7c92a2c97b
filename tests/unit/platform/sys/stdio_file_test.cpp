#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sys/stdio_file.h"
#include "tests/unit/platform/sys/temp_root.h"

namespace platform {
namespace {

using testing::TempRoot;

constexpr char kName[] = "C:\\Halcyra Upgrade\\params.csv";
constexpr char kFile[] = "Halcyra Upgrade/params.csv";
constexpr UINT kTextRead = CFile::modeRead | CFile::shareDenyWrite | CFile::typeText;
constexpr UINT kPieceBuffer = 99;

class StdioFileTest : public ::testing::Test {
 protected:
  std::vector<std::string> Lines(UINT flags) {
    CStdioFile file(kName, flags);
    std::vector<std::string> lines;
    for (std::string line; file.ReadString(line);) lines.push_back(line);
    return lines;
  }

  TempRoot root_;
};

TEST_F(StdioFileTest, PieceReadsStopAfterALineFeedOrAtTheBufferSize) {
  const std::string long_line(120, '7');
  root_.Write(kFile, long_line + "\nData,LSB\n12,34");
  CStdioFile file(kName, kTextRead);
  char piece[kPieceBuffer];
  ASSERT_NE(file.ReadString(piece, kPieceBuffer), nullptr);
  EXPECT_EQ(std::string(piece), long_line.substr(0, kPieceBuffer - 1));
  ASSERT_NE(file.ReadString(piece, kPieceBuffer), nullptr);
  EXPECT_EQ(std::string(piece), std::string(22, '7') + "\n");
  ASSERT_NE(file.ReadString(piece, kPieceBuffer), nullptr);
  EXPECT_STREQ(piece, "Data,LSB\n");
  ASSERT_NE(file.ReadString(piece, kPieceBuffer), nullptr);
  EXPECT_STREQ(piece, "12,34");  // the last line has no line feed
  EXPECT_EQ(file.ReadString(piece, kPieceBuffer), nullptr);
}

TEST_F(StdioFileTest, TextFilesReadCarriageReturnLineFeedAsLineFeed) {
  // Long enough that a "\r\n" falls across the read-ahead boundary somewhere.
  std::string text;
  std::vector<std::string> expected;
  for (int i = 0; i < 1000; ++i) {
    expected.push_back("line " + std::to_string(i));
    text += expected.back() + "\r\n";
  }
  text += "\r\nlast";
  expected.push_back("");
  expected.push_back("last");
  root_.Write(kFile, text);
  EXPECT_EQ(Lines(kTextRead), expected);
  // Binary files keep every byte.
  const std::vector<std::string> binary = Lines(CFile::modeRead | CFile::typeBinary);
  EXPECT_EQ(binary.front(), "line 0\r");
}

TEST_F(StdioFileTest, TextWritesEndLinesWithCarriageReturn) {
  std::filesystem::create_directories(root_.Path() / "Halcyra Upgrade");
  {
    CStdioFile file(kName, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
    file.WriteString("a\nb\n");
  }
  EXPECT_EQ(root_.Read(kFile), "a\r\nb\r\n");
  {
    CStdioFile file(kName, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    file.WriteString("a\nb\n");
  }
  EXPECT_EQ(root_.Read(kFile), "a\nb\n");
}

TEST_F(StdioFileTest, PositionAndWritesFollowWhatWasTakenNotWhatWasReadAhead) {
  root_.Write(kFile, "one\ntwo\nthree\n");
  CStdioFile file(kName, CFile::modeReadWrite | CFile::typeBinary);
  std::string line;
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(file.GetPosition(), 4u);
  file.WriteString("TWO\n");
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(line, "three");
  file.Seek(-6, CFile::current);
  char bytes[3] = {};
  EXPECT_EQ(file.Read(bytes, 3), 3u);
  EXPECT_EQ(std::string(bytes, 3), "thr");
  EXPECT_EQ(root_.Read(kFile), "one\nTWO\nthree\n");
}

}  // namespace
}  // namespace platform
