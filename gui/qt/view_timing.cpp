#include "gui/qt/view_timing.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "gui/qt/event_loop_waiter.h"

namespace gui {

namespace {

// Field 22 of /proc/<pid>/stat: the start time in clock ticks after boot.
constexpr int kStartTimeField = 22;
constexpr double kMillisPerSecond = 1000.0;

std::optional<double> SecondsSinceBoot() {
  std::ifstream uptime("/proc/uptime");
  double seconds = 0;
  if (!(uptime >> seconds)) {
    return std::nullopt;
  }
  return seconds;
}

std::optional<double> ProcessStartSecondsAfterBoot() {
  std::ifstream stat_file("/proc/self/stat");
  std::string stat;
  std::getline(stat_file, stat);
  // The command name in parentheses may hold blanks; fields are counted after it.
  const std::size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) {
    return std::nullopt;
  }
  std::istringstream fields(stat.substr(name_end + 2));
  std::string field;
  // The stream starts at field 3.
  for (int number = 3; number < kStartTimeField && fields >> field; ++number) {
  }
  unsigned long long ticks = 0;
  if (!(fields >> ticks)) {
    return std::nullopt;
  }
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

bool ViewTimingWanted() {
  const char* value = std::getenv("TESSALY_QT_TIMING");
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

double MillisecondsSinceProcessStart() {
  const auto now = SecondsSinceBoot();
  const auto start = ProcessStartSecondsAfterBoot();
  if (!now || !start) {
    return -1;
  }
  return (*now - *start) * kMillisPerSecond;
}

void NoteWindowShown(platform::UINT template_id) {
  static std::atomic<bool> reported = false;
  if (!ViewTimingWanted() || reported.exchange(true)) {
    return;
  }
  std::fprintf(stderr, "tessaly-qt: first window (template %u) shown %.0f ms after process start\n",
               template_id, MillisecondsSinceProcessStart());
}

void ReportEventLoopTiming(const EventLoopWaiter& waiter) {
  if (!ViewTimingWanted()) {
    return;
  }
  using Milliseconds = std::chrono::duration<double, std::milli>;
  const Milliseconds since_stretch_began =
      std::chrono::steady_clock::now() - waiter.LongestStretchStart();
  std::fprintf(stderr,
               "tessaly-qt: longest stretch without taking window events: %.3f ms, from %.0f ms "
               "after process start (the program's own work at most %.3f ms; time in fixed "
               "waits, painting only: %.0f ms)\n",
               Milliseconds(waiter.LongestStretchWithoutEvents()).count(),
               MillisecondsSinceProcessStart() - since_stretch_began.count(),
               Milliseconds(waiter.LongestProgramStretch()).count(),
               Milliseconds(waiter.TimeAsleep()).count());
}

}  // namespace gui
