// The radio-module image and console-parameter readers: Intel HEX text converted per second
// (the whole conversion from the file, and the record scan alone) and CSV text read per second.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "apps/make_sample_root/sample_root.h"
#include "upgrade_app/images/console_params.h"
#include "upgrade_app/images/intel_hex.h"

namespace {

constexpr std::size_t kImageSize = std::size_t{1024} * 1024;
constexpr std::uint32_t kImageStart = 0x00010000;

std::string HexText() {
  return sample_root::MakeIntelHex(sample_root::MakeFillerImage(kImageSize, 0xC7A), kImageStart);
}

void BM_ConvertHexFile(benchmark::State& state) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "images_bench";
  const std::filesystem::path hex_path = folder / "image.hex";
  const std::string text = HexText();
  sample_root::WriteFile(hex_path, text);
  std::vector<platform::BYTE> image;
  std::uint32_t length = 0;
  std::uint32_t start = 0;
  std::uint32_t sum = 0;
  for (auto _ : state) {
    if (ConvertHexToBin(hex_path.string(), image, length, start, sum) != kConvertOk) {
      state.SkipWithError("conversion failed");
      break;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ConvertHexFile)->Unit(benchmark::kMillisecond);

void BM_ScanHexText(benchmark::State& state) {
  const std::string text = HexText();
  std::uint64_t lowest = 0;
  std::uint64_t highest = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ScanIntelHex(text, 0, 0, {}, lowest, highest));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ScanHexText)->Unit(benchmark::kMillisecond);

// A parameter file as shipped: 94 values.
void BM_ParseConsoleParamFile(benchmark::State& state) {
  const std::string text = sample_root::MakeConsoleParameters(94, 0x10);
  for (auto _ : state) benchmark::DoNotOptimize(ParseConsoleParams(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseConsoleParamFile);

// The worst case: 1 MiB of 0xFFFF fields, which fill nothing, so every line is read.
void BM_ParseConsoleParamText(benchmark::State& state) {
  std::string text;
  while (text.size() < kImageSize) text += "0xFFFF,0xFFFF,LSB,MSB,0xFFFF,0xFFFF,0xFFFF,0xFFFF\r\n";
  for (auto _ : state) benchmark::DoNotOptimize(ParseConsoleParams(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseConsoleParamText)->Unit(benchmark::kMillisecond);

}  // namespace
