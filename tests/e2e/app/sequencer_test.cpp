// Time-outs of single jobs, as a user of the engineering window sees them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/app/tessaly_process.h"

namespace {

using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;

constexpr char kNoResponseText[] =
    "\r\nThere is no response from Halcyra.\r\nIt looks like the USB connection is not "
    "enabled.\r\nPlease check both cables and re-enter the key sequence on the phone to enable it "
    "for USB connection.\r\nOnce again for your convenience we repeat the key sequence:\r\n1.\tHit "
    "the EXIT key on the phone several times until the phone displays the word \"Ready\".\r\n2."
    "\tHit the MENU key on the phone.\r\n3.\tUsing the down arrow key on the phone scroll to "
    "\"ADMINISTRATION SETUP\".\r\n4.\tHit the SELECT key.\r\n5.\tScroll down to \"SOFTWARE "
    "UPGRADE\".\r\n6.\tHit the SELECT key again.\r\n7.\tPress the key under the LCD display "
    "that is under the word \"START\".\r\n8.\tOn the PC click OK.";

// A text as the transcript writes it inside double quotes.
std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '"':
        escaped += "\\\"";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

constexpr char kResetFailedBox[] =
    "box thread=worker owner=none caption=\"tessaly\" text=\"Device Reset Failed!\" icon=none "
    "buttons=ok answer=ok";

TessalyRoot EngineeringRoot() {
  sample_root::Options options;
  options.mode = "VARSOLIN";
  return TessalyRoot(options);
}

TEST(SequencerTimeOutTest, AResetWithoutConsoleEndsInTheNoResponseTextAndGivesTheButtonBack) {
  const TessalyRoot root = EngineeringRoot();
  const RunResult result =
      root.Run("click 1081\nanswer ok\ntime\ndump 1081\ndump 1000\nclick 1\n", root.Scenario("[]"));
  const std::string no_response = std::string(kNoResponseText);
  EXPECT_EQ(result.transcript,
            (std::vector<std::string>{
                "dialog open 104",
                kResetFailedBox,
                "time ms=20000",
                "control 1081 text=\"&Reset USB Device\" enabled=1 visible=1",
                "control 1000 text=\"" + Escaped(no_response) + "\" enabled=1 visible=1",
                "dialog close 104 result=1",
                "exit code=0",
            }));
  EXPECT_EQ(root.StatusFile(), no_response);
}

}  // namespace
