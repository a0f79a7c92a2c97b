#include <array>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/sys/file.h"
#include "platform/sys/file_system.h"
#include "platform/sys/last_error.h"
#include "tests/unit/platform/sys/child_process.h"
#include "tests/unit/platform/sys/temp_root.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::RunProbe;
using testing::TempRoot;

constexpr char kImage[] = "C:\\Program Files\\Orvanta\\image.bin";
constexpr char kImageFile[] = "Program Files/Orvanta/image.bin";
constexpr UINT kExclusiveRead = CFile::modeRead | CFile::shareExclusive;
constexpr UINT kSharedRead = CFile::modeRead | CFile::shareDenyNone;

class FileTest : public ::testing::Test {
 protected:
  // The cause of a failed open, or none when it opened.
  int OpenCause(CFile& file, const char* name, UINT flags) {
    CFileException error;
    if (file.Open(name, flags, &error)) return CFileException::none;
    EXPECT_EQ(error.m_strFileName, name);
    return error.m_cause;
  }

  TempRoot root_;
};

TEST_F(FileTest, ExclusiveOpenFailsWhileAnotherHandleHoldsTheFile) {
  root_.Write(kImageFile, "data");
  CFile reader;
  ASSERT_TRUE(reader.Open(kImage, kSharedRead));
  CFile exclusive;
  EXPECT_EQ(OpenCause(exclusive, kImage, kExclusiveRead), CFileException::sharingViolation);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);

  CFile second_reader;
  EXPECT_EQ(OpenCause(second_reader, kImage, kSharedRead), CFileException::none);
  reader.Close();
  second_reader.Close();
  EXPECT_EQ(OpenCause(exclusive, kImage, kExclusiveRead), CFileException::none);
}

TEST_F(FileTest, NothingOpensWhileAnExclusiveHolderHasTheFile) {
  root_.Write(kImageFile, "precious");
  const CFile holder(kImage, CFile::modeReadWrite | CFile::shareExclusive);
  CFile other;
  EXPECT_EQ(OpenCause(other, kImage, kSharedRead), CFileException::sharingViolation);
  EXPECT_EQ(OpenCause(other, kImage, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone),
            CFileException::sharingViolation);
  EXPECT_EQ(root_.Read(kImageFile), "precious");  // the refused create did not empty it
}

TEST_F(FileTest, SharingFollowsWhatEachHandleDeniesAndDoes) {
  root_.Write(kImageFile, "x");
  const CFile writer(kImage, CFile::modeWrite | CFile::shareDenyNone);
  CFile reader;
  EXPECT_EQ(OpenCause(reader, kImage, CFile::modeRead | CFile::shareDenyWrite),
            CFileException::sharingViolation);  // it would deny the writer already there
  EXPECT_EQ(OpenCause(reader, kImage, kSharedRead), CFileException::none);
  CFile compat;  // no share flag at all is exclusive
  EXPECT_EQ(OpenCause(compat, kImage, CFile::modeRead), CFileException::sharingViolation);
}

TEST_F(FileTest, SharingReachesAnotherProcess) {
  root_.Write(kImageFile, "data");
  {
    const CFile reader(kImage, kSharedRead);
    EXPECT_EQ(RunProbe({"open", kImage, "exclusive"}), "sharing-violation");
    EXPECT_EQ(RunProbe({"open", kImage, "shared"}), "opened");
  }
  EXPECT_EQ(RunProbe({"open", kImage, "exclusive"}), "opened");

  ChildProcess holder({"open", kImage, "exclusive", "hold"});
  ASSERT_EQ(holder.ReadLine(), "opened");
  CFile file;
  EXPECT_EQ(OpenCause(file, kImage, kSharedRead), CFileException::sharingViolation);
  EXPECT_EQ(holder.Finish(), 0);
  EXPECT_EQ(OpenCause(file, kImage, kExclusiveRead), CFileException::none);
}

TEST_F(FileTest, CreateEmptiesUnlessNoTruncateAndAppendsAtTheEnd) {
  root_.Write("TessalyStatus.txt", "old run");
  // Start-up probe: created for reading, without sharing, replacing the old file.
  CFile probe("\\TessalyStatus.txt", CFile::modeCreate | CFile::modeRead | CFile::shareExclusive);
  probe.Close();
  EXPECT_EQ(root_.Read("TessalyStatus.txt"), "");

  const std::string lines[] = {"first\r\n", "second\r\n"};
  for (const std::string& line : lines) {
    CFile log;
    ASSERT_TRUE(log.Open("\\TessalyStatus.txt", CFile::modeCreate | CFile::modeNoTruncate |
                                                    CFile::modeWrite | CFile::shareExclusive));
    log.SeekToEnd();
    log.Write(line.data(), static_cast<UINT>(line.size()));
  }
  EXPECT_EQ(root_.Read("TessalyStatus.txt"), "first\r\nsecond\r\n");
}

TEST_F(FileTest, ReadsAtAnOffsetAndShortReadsAtTheEnd) {
  root_.Write(kImageFile, std::string("\x00\x01\x02\x03\xCE\xFA\xDE\xFA", 8));
  CFile file(kImage, kExclusiveRead);
  EXPECT_EQ(file.GetLength(), 8u);
  EXPECT_EQ(file.Seek(4, CFile::begin), 4u);
  std::array<unsigned char, 4> bytes{};
  EXPECT_EQ(file.Read(bytes.data(), 4), 4u);
  EXPECT_EQ(bytes, (std::array<unsigned char, 4>{0xCE, 0xFA, 0xDE, 0xFA}));
  EXPECT_EQ(file.Seek(0x10004, CFile::begin), 0x10004u);  // beyond the end is allowed
  EXPECT_EQ(file.Read(bytes.data(), 4), 0u);
  file.Seek(-2, CFile::end);
  EXPECT_EQ(file.Read(bytes.data(), 4), 2u);
}

TEST_F(FileTest, FailuresNameTheirCauseAndFile) {
  fs::create_directories(root_.Path() / "Program Files");
  CFile file;
  // A folder is no file (an empty FilePath names the program-files folder itself).
  EXPECT_EQ(OpenCause(file, "C:\\Program Files", kExclusiveRead), CFileException::accessDenied);
  EXPECT_EQ(OpenCause(file, "C:\\Program Files\\none.bin", kSharedRead),
            CFileException::fileNotFound);
  EXPECT_EQ(OpenCause(file, "C:\\Missing\\none.bin", CFile::modeCreate | CFile::modeWrite),
            CFileException::badPath);
  try {
    CFile thrown("C:\\Program Files\\none.bin", kSharedRead);
    FAIL() << "no exception";
  } catch (const CException& error) {
    const auto* file_error = dynamic_cast<const CFileException*>(&error);
    ASSERT_NE(file_error, nullptr);
    EXPECT_EQ(file_error->m_cause, CFileException::fileNotFound);
    EXPECT_EQ(file_error->m_strFileName, "C:\\Program Files\\none.bin");
    EXPECT_EQ(file_error->m_lOsError, static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  }
}

TEST_F(FileTest, OperationsThatCannotBeDoneThrow) {
  root_.Write(kImageFile, "data");
  CFile file(kImage, kSharedRead);
  char byte = 'x';
  EXPECT_THROW(file.Write(&byte, 1), CFileException);
  try {
    file.Seek(-1, CFile::begin);
    FAIL() << "no exception";
  } catch (const CFileException& error) {
    EXPECT_EQ(error.m_cause, CFileException::badSeek);
  }
  file.Close();
  EXPECT_THROW(file.Read(&byte, 1), CFileException);
}

TEST_F(FileTest, RemoveFailsWhileTheFileIsOpen) {
  root_.Write(kImageFile, "data");
  {
    const CFile reader(kImage, kSharedRead);
    EXPECT_FALSE(DeleteFileA(kImage));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    try {
      CFile::Remove(kImage);
      FAIL() << "no exception";
    } catch (const CFileException& error) {
      EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
      EXPECT_EQ(error.m_strFileName, kImage);
    }
  }
  EXPECT_EQ(GetFileAttributesA(kImage), FILE_ATTRIBUTE_NORMAL);
  CFile::Remove(kImage);
  EXPECT_EQ(GetFileAttributesA(kImage), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFileA(kImage));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace platform
