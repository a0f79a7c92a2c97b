// A 1 MiB DSP image streamed by the worker thread to a simulated console, on the virtual clock:
// wall and CPU time per 64-byte block and the peak memory of the process.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "device_link/application_link.h"
#include "device_link/upgrade_messages.h"
#include "device_link/upgrade_thread.h"
#include "outside/console_sim/console.h"
#include "outside/usb/bus.h"
#include "outside/usb_access_control/usb_access_registration.h"
#include "outside/usbio_server/usbio_registration.h"
#include "platform/clock/clock.h"
#include "platform/ui/dialog_template.h"
#include "tests/unit/device_link/link_test_support.h"
#include "upgrade_app/resources/dialog_templates.h"

namespace {

constexpr std::size_t kImageSize = std::size_t{1024} * 1024;
constexpr double kBlocksPerImage = kImageSize / 64.0;

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double PeakResidentKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss);
}

std::filesystem::path WriteImage() {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / "device_link_stream_bench.bin";
  std::vector<char> bytes(kImageSize);
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    bytes[at] = static_cast<char>(at * 31 % 251);
  }
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void BM_StreamDspImageThroughTheWorker(benchmark::State& state) {
  platform::ScopedClock clock(std::make_unique<platform::VirtualClock>());
  link_test::ScopedBoxRecorder boxes;
  CApplicationLink app;
  CApplicationLink* const previous_link = SetApplicationLink(&app);
  auto bus = std::make_shared<outside::usb::Bus>();
  bus->Attach(
      std::make_shared<outside::console_sim::Console>(outside::console_sim::DeviceScenario{}));
  const outside::usbio_server::ScopedUsbioServer server(bus);
  const outside::usb_access_control::ScopedUsbAccessControl control(bus);
  platform::RegisterDialogTemplate(UsbAccessFormTemplate());
  const std::filesystem::path image = WriteImage();

  double wall_seconds = 0;
  double cpu_seconds = 0;
  std::size_t images = 0;
  link_test::RunAsPlatformThread([&] {
    link_test::MainWindowStub main;
    CUpGradeThread* const worker = CUpGradeThread::BeginSuspended(main.GetSafeHwnd());
    const auto end = worker->End();
    _STRUCT_THREAD_TASK task;
    task.nTaskKind = TASK_SEND_DSP_FILE;
    task.strFilePath = image.string();
    for (auto _ : state) {
      const auto wall_start = std::chrono::steady_clock::now();
      const double cpu_start = ProcessCpuSeconds();
      worker->SetThreadTask(task);
      worker->PostThreadMessage(WM_UPG_RUN_TASK, 0, 0);
      worker->ResumeThread();
      ++images;
      if (!link_test::PumpUntil([&] { return main.Count(WM_UPG_DSP_FILE_SENT) == 1; })) {
        state.SkipWithError("the image was not sent");
        break;
      }
      cpu_seconds += ProcessCpuSeconds() - cpu_start;
      wall_seconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
      // Only this image's messages are looked at.
      main.received.clear();
      main.received.shrink_to_fit();
      app.m_bSendingDSPFile = 0;
    }
    worker->PostThreadMessage(WM_UPG_END_THREAD, 0, 0);
    end->WaitFor(platform::GetClock().Now() + 60000);
  });
  SetApplicationLink(previous_link);
  std::filesystem::remove(image);

  const double blocks = kBlocksPerImage * static_cast<double>(images);
  state.counters["wall_ns_per_block"] = blocks > 0 ? wall_seconds * 1e9 / blocks : 0;
  state.counters["cpu_ns_per_block"] = blocks > 0 ? cpu_seconds * 1e9 / blocks : 0;
  state.counters["peak_rss_kib"] = PeakResidentKib();
}

BENCHMARK(BM_StreamDspImageThroughTheWorker)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace
