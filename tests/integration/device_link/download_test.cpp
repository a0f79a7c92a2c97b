// The firmware file stream of CUSBAccess: blocks, the end of the file, progress, and what
// happens to a file that cannot be opened or a program that is going away.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device_link/upgrade_messages.h"
#include "device_link/usb_access.h"
#include "platform/com/com_runtime.h"
#include "tests/integration/device_link/link_fixture.h"

namespace link_test {
namespace {

using platform::BYTE;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

Received Progress(platform::WPARAM kind, platform::LPARAM bytes) {
  return Received{WM_UPG_FILE_PROGRESS, kind, bytes};
}

class DownloadTest : public LinkTest {
 protected:
  // Streams `path` to device 0 on the server path as the worker does; returns the result.
  int Download(const std::string& path,
               const std::function<void(CUSBAccess& usb, MainWindowStub& main)>& check = {}) {
    int result = 0;
    RunAsPlatformThread([&] {
      main_ = std::make_unique<MainWindowStub>();
      platform::WinThread::Current()->m_pMainWnd = main_->GetSafeHwnd();
      {
        CUSBAccess usb;
        app_.m_bControlTransport = 0;
        usb.OpenUSBDevice(0);
        usb.ConfigureDevice();
        usb.StartFileStreams();
        const platform::Millis start = platform::GetClock().Now();
        result = usb.DownloadFile(path, 0, 0, 0);
        elapsed_ms_ = platform::GetClock().Now() - start;
        if (check) {
          check(usb, *main_);
        }
      }
      platform::CoUninitialize();
    });
    return result;
  }

  // What the console took of the stream, as its record line.
  static std::string StreamRecord(const std::vector<BYTE>& received) {
    return "file bytes=" + std::to_string(received.size()) + " sha256=" + Sha256Of(received);
  }

  std::unique_ptr<MainWindowStub> main_;
  platform::Millis elapsed_ms_ = 0;
};

TEST_F(DownloadTest, AFileOfTwoWholeChunksGoesOutInThirtyEightBlocks) {
  Attach({});
  const std::vector<BYTE> bytes = FileBytes(2432);
  const int result =
      Download(WriteFile("dsp.bin", bytes), [](CUSBAccess& usb, MainWindowStub& /*main*/) {
        EXPECT_EQ(usb.m_bReadSinkAdvised, 1);
        EXPECT_EQ(usb.m_bWriteSinkAdvised, 1);
        EXPECT_EQ(usb.m_nPendingReads, 0);
        EXPECT_EQ(usb.m_nState, USB_STATE_DOWNLOAD);
      });
  EXPECT_EQ(result, CUSBAccess::kDownloadDone);
  // The console answered every block at once: no pause and a single poll each.
  EXPECT_EQ(elapsed_ms_, 0);

  EXPECT_THAT(main_->Of(WM_UPG_FILE_PROGRESS),
              ElementsAre(Progress(2, 2432), Progress(0, 1216), Progress(0, 2432),
                          Progress(0, 2432), Progress(1, 2432)));
  EXPECT_EQ(SpyAt(0).Writes(kFileOut).size(), 38U);
  EXPECT_THAT(ConsoleAt(0).Received(), ElementsAre(StreamRecord(bytes)));
}

TEST_F(DownloadTest, TheLastBlockCarriesTheRestOfTheFileThenZeros) {
  Attach({});
  const std::vector<BYTE> bytes = FileBytes(100);
  EXPECT_EQ(Download(WriteFile("short.bin", bytes)), CUSBAccess::kDownloadDone);

  EXPECT_THAT(main_->Of(WM_UPG_FILE_PROGRESS),
              ElementsAre(Progress(2, 100), Progress(0, 100), Progress(1, 100)));
  std::vector<BYTE> padded = bytes;
  padded.resize(128, 0);
  EXPECT_THAT(ConsoleAt(0).Received(), ElementsAre(StreamRecord(padded)));
}

TEST_F(DownloadTest, TheLastBlockOfALaterChunkHoldsNothingOfTheChunkBefore) {
  Attach({});
  const std::vector<BYTE> bytes = FileBytes(1300);
  EXPECT_EQ(Download(WriteFile("two_chunks.bin", bytes)), CUSBAccess::kDownloadDone);

  EXPECT_THAT(main_->Of(WM_UPG_FILE_PROGRESS), ElementsAre(Progress(2, 1300), Progress(0, 1216),
                                                           Progress(0, 1300), Progress(1, 1300)));
  const auto blocks = SpyAt(0).Writes(kFileOut);
  ASSERT_EQ(blocks.size(), 21U);
  std::vector<BYTE> last(bytes.begin() + 1280, bytes.end());
  last.resize(64, 0);
  EXPECT_EQ(blocks.back(), last);
  std::vector<BYTE> padded = bytes;
  padded.resize(1344, 0);
  EXPECT_THAT(ConsoleAt(0).Received(), ElementsAre(StreamRecord(padded)));
}

TEST_F(DownloadTest, AFileThatCannotBeOpenedSendsNothing) {
  Attach({});
  const int result = Download(MissingFile(), [](CUSBAccess& usb, MainWindowStub& /*main*/) {
    EXPECT_EQ(usb.m_bReadSinkAdvised, 0);
    EXPECT_EQ(usb.m_bWriteSinkAdvised, 0);
    EXPECT_EQ(usb.m_nState, USB_STATE_IDLE);
  });
  EXPECT_EQ(result, CUSBAccess::kDownloadNoFile);
  EXPECT_THAT(main_->received, IsEmpty());
  EXPECT_THAT(SpyAt(0).Writes(kFileOut), IsEmpty());
}

TEST_F(DownloadTest, ADeviceThatNeverAnswersCostsAPauseAndNineHundredPollsPerBlock) {
  Attach(ForeignDevice());
  EXPECT_EQ(Download(WriteFile("dsp.bin", FileBytes(100))), CUSBAccess::kDownloadDone);
  EXPECT_EQ(SpyAt(0).Writes(kFileOut).size(), 2U);
  EXPECT_EQ(elapsed_ms_, 2 * (1 + 900));
}

TEST_F(DownloadTest, TheStreamStopsAtTheNextBlockOnceTheMainWindowHasGone) {
  Attach({});
  const std::string path = WriteFile("dsp.bin", FileBytes(5000));
  RunAsPlatformThread([&] {
    MainWindowStub main;
    platform::WinThread::Current()->m_pMainWnd = main.GetSafeHwnd();
    main.on_message = [&main](const Received& entry) {
      if (entry.message == WM_UPG_FILE_PROGRESS && entry.wParam == 0) {
        main.DestroyHandle();
      }
    };
    {
      CUSBAccess usb;
      app_.m_bControlTransport = 0;
      usb.OpenUSBDevice(0);
      usb.ConfigureDevice();
      usb.StartFileStreams();
      EXPECT_EQ(usb.DownloadFile(path, 0, 0, 0), CUSBAccess::kDownloadStopped);
    }
    platform::CoUninitialize();
  });
  EXPECT_EQ(SpyAt(0).Writes(kFileOut).size(), 19U);
}

}  // namespace
}  // namespace link_test
