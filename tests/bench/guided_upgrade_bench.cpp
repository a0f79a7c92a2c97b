// The whole guided upgrade of the sample installation in virtual time: the wall time it takes
// against the program time it stands for.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "tests/e2e/app/tessaly_process.h"

namespace {

// Program time of the `time` line in a transcript, or -1.
double ProgramMillis(const std::vector<std::string>& transcript) {
  const std::string prefix = "time ms=";
  for (const std::string& line : transcript) {
    if (line.starts_with(prefix)) return std::stod(line.substr(prefix.size()));
  }
  return -1;
}

void GuidedUpgrade(benchmark::State& state) {
  const tessaly_e2e::TessalyRoot root;
  double program_ms = 0;
  double wall_ms = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const tessaly_e2e::RunResult result = root.Run(
        "click 1014\nwait dialog 1089\ntime\nclick 1091\nclick 1090\nanswer ok\nclick 1\n");
    wall_ms +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    program_ms += ProgramMillis(result.transcript);
    if (result.exit_status != 0) state.SkipWithError("the upgrade did not end normally");
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["program_ms"] = program_ms / runs;
  state.counters["wall_ms"] = wall_ms / runs;
  state.counters["speed_up"] = program_ms / wall_ms;
}
BENCHMARK(GuidedUpgrade)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
