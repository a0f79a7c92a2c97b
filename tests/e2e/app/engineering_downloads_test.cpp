// Send FW of each firmware type of the sample installation: the file choice, the progress of the
// download and what reaches the console.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::FileRecordLine;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;
using Lines = std::vector<std::string>;

struct Download {
  const char* type;
  const char* filter;
  std::filesystem::path chosen;
  std::filesystem::path sent;  // the file that goes to the console
  const char* end_line;        // what the window logs once the file has been sent
};

std::string Script(const Download& download) {
  return "select 1040 \"" + std::string(download.type) + "\"\nfile \"" + download.chosen.string() +
         "\"\nclick 1024\ntime\ndump 1007\ndump 1008\ndump 1017\n";
}

// Each download shows its own progress: the bar stands at half the bytes at the end. The first
// download's step delay (a second at least) has run out by then; the DSP and radio-module
// handlers stop theirs, so the clock stays there.
Lines Transcript(const Download& download) {
  const auto size = std::filesystem::file_size(download.sent);
  return {
      tessaly_e2e::FileDialogLine(download.filter, download.chosen.string()),
      "time ms=1000",
      "control 1007 text=\"" + download.chosen.string() + "\" enabled=1 visible=1",
      "control 1008 text=\"\" enabled=1 visible=1 pos=" + std::to_string(size / 2) + " range=0.." +
          std::to_string(size),
      "control 1017 text=\"" + std::to_string(size) + "\" enabled=1 visible=1",
  };
}

TEST(EngineeringDownloadTest, SendFwDownloadsEachKindOfFirmware) {
  sample_root::Options options;
  options.mode = "VARSOLIN";
  options.dsp_image_size = 16384 + 100;  // not whole blocks
  const TessalyRoot root(options);
  const std::vector<Download> downloads = {
      {"CPLD Firmware", tessaly_e2e::kCpldFilter, root.Firmware(sample_root::kCpldImageName),
       root.Firmware(sample_root::kCpldImageName), ""},
      {"DSP Firmware", tessaly_e2e::kDspFilter, root.Firmware(sample_root::kDspImageName),
       root.Firmware(sample_root::kDspImageName), "Phone application Upgrade complete"},
      {"CVM Firmware", tessaly_e2e::kCvmFilter, root.Firmware(sample_root::kCvmImageName),
       root.Firmware("CVM_0110.cvm"), "CVM Upgrade complete"},
  };
  std::string script;
  for (const Download& download : downloads) script += Script(download);
  const RunResult result = root.Run(script + "dump 1024\nclick 1\n", root.Scenario("[{}]"));

  Lines expected = {"dialog open 104"};
  for (const Download& download : downloads) {
    const Lines lines = Transcript(download);
    expected.insert(expected.end(), lines.begin(), lines.end());
  }
  expected.insert(expected.end(), {R"(control 1024 text="Send FW" enabled=1 visible=1)",
                                   "dialog close 104 result=1", "exit code=0"});
  EXPECT_EQ(result.transcript, expected);

  std::string status;
  Lines record;
  for (const Download& download : downloads) {
    status += std::string("\r\nDownload Finished\r\n\r\nWaiting for task completion\r\n") +
              download.end_line;
    record.push_back(FileRecordLine(tessaly_e2e::StreamOfFile(download.sent)));
  }
  EXPECT_EQ(root.StatusFile(), status);
  EXPECT_EQ(root.Record(), record);
}

}  // namespace
