// The firmware file stream of CUSBAccess: 64-byte blocks through the Write instance, each
// answered by one report that is polled on the Read instance, progress once per chunk.

#include <algorithm>

#include "device_link/upgrade_messages.h"
#include "device_link/usb_access.h"
#include "device_link/worker_main_window.h"
#include "outside/usbio_server/usbio_status.h"
#include "platform/sys/file.h"
#include "platform/thread/message_loop.h"
#include "platform/thread/window.h"

using platform::BYTE;
using platform::LONG;

namespace {

constexpr platform::UINT kChunkSize = 1216;
constexpr std::size_t kBlockSize = 64;
constexpr int kMaxAnswerPolls = 900;
constexpr platform::DWORD kBlockPauseMs = 1;
// A negative count: no polled read stops the reading stream.
constexpr int kPendingReadsDuringDownload = -1;
constexpr LONG kNoFlags = 0;

// The program is ending when the window the download reports to has gone.
bool MainWindowGone(platform::HWND main_window) {
  return main_window != nullptr && platform::IsWindow(main_window) == platform::FALSE;
}

void SendProgress(platform::WPARAM kind, platform::ULONGLONG bytes) {
  SendToWorkerMainWindow(WM_UPG_FILE_PROGRESS, kind, static_cast<platform::LPARAM>(bytes));
}

}  // namespace

int CUSBAccess::DownloadFile(const std::string& path, int /*image_length*/, int /*image_start*/,
                             int /*image_checksum*/) {
  return StreamFile(path);
}

int CUSBAccess::DownloadCVMFile(const std::string& path, int /*image_length*/, int /*image_start*/,
                                int /*image_checksum*/) {
  return StreamFile(path);
}

int CUSBAccess::StreamFile(const std::string& path) {
  // While polling, the worker must not also be told of every read and write.
  DisconnectSink(*m_pReadSink, m_pRead, m_bReadSinkAdvised);
  DisconnectSink(*m_pWriteSink, m_pWrite, m_bWriteSinkAdvised);
  platform::CFile file;
  if (file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyWrite) ==
      platform::FALSE) {
    return kDownloadNoFile;
  }
  m_nState = USB_STATE_DOWNLOAD;
  m_nPendingReads = kPendingReadsDuringDownload;
  const platform::HWND main_window = WorkerMainWindow();
  SendProgress(kFileProgressStart, file.GetLength());

  std::vector<BYTE> chunk(kChunkSize);
  platform::ULONGLONG total = 0;
  bool stopped = false;
  for (;;) {
    const platform::UINT read = file.Read(chunk.data(), kChunkSize);
    // The last block of the file carries its remaining bytes, then zeros; a chunk that ends on
    // a block boundary sends no empty block.
    for (std::size_t offset = 0; offset < read; offset += kBlockSize) {
      stopped = MainWindowGone(main_window);
      if (stopped) {
        break;
      }
      const std::size_t end = std::min<std::size_t>(offset + kBlockSize, read);
      WriteBlock(std::span<const BYTE>(chunk).subspan(offset, end - offset));
      AwaitBlockAnswer();
    }
    if (stopped) {
      break;
    }
    total += read;
    SendProgress(kFileProgressBytes, total);
    if (read != kChunkSize) {
      break;
    }
  }
  m_pWrite.StopWriting();
  m_pRead.StopReading();
  SendProgress(kFileProgressEnd, total);
  m_nPendingReads = 0;
  file.Close();
  ConnectSink(*m_pReadSink, m_pRead, m_bReadSinkAdvised);
  ConnectSink(*m_pWriteSink, m_pWrite, m_bWriteSinkAdvised);
  return stopped ? kDownloadStopped : kDownloadDone;
}

void CUSBAccess::WriteBlock(std::span<const BYTE> block) {
  CreateTransferArrays(block);
  LONG write_status = 0;
  m_pWrite.Write(m_psaWrite.Get(), kNoFlags, &write_status);
  if (write_status != outside::usbio_server::kStatusWriteAnswered) {
    platform::Sleep(kBlockPauseMs);
  }
}

void CUSBAccess::AwaitBlockAnswer() {
  // The answer is not looked at; a console that does not answer costs the polls only.
  std::vector<BYTE> answer;
  BYTE valid = 0;
  for (int poll = 0; poll < kMaxAnswerPolls; ++poll) {
    if (ReadReport(answer, valid) !=
        static_cast<platform::DWORD>(outside::usbio_server::kStatusNoReport)) {
      return;
    }
    platform::Sleep(kBlockPauseMs);
  }
}
