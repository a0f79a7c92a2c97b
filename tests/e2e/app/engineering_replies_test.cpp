// Every named command sent from the engineering window, with a foreign device in front of the
// console: what each reply check makes of the console's answer, and of a reply with the wrong
// code.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/app/engineering_support.h"

namespace {

using tessaly_e2e::EngineeringRoot;
using tessaly_e2e::RequestRecordLine;
using tessaly_e2e::RunResult;
using tessaly_e2e::SendCommand;
using tessaly_e2e::TessalyRoot;
using Lines = std::vector<std::string>;

constexpr char kConsoleReplies[] =
    R"("replies": {"0xD002": "09 12", "0xD003": "07 1A", "0xD001": "44 43 42 41",
                  "0xD01C": "FE", "0xD01D": "03", "0xD0AE": "00"})";

// A foreign device first, so that only a detected console is talked to.
std::string BehindAForeignDevice(const std::string& console) {
  return R"([{"string2": "USB Keyboard"}, {)" + console + "}]";
}

constexpr char kFoundAsOne[] = "\r\n(TMX320VC5509) Device detected as 1\r\n";

TEST(EngineeringReplyTest, EveryNamedCommandGetsItsOwnCheck) {
  const TessalyRoot root = EngineeringRoot();
  std::string script = "click 1022\n";
  for (const char* name : {"UPD_GET_DSPFLASH_FW_VER", "UPD_GET_CVMFLASH_FW_VER",
                           "UPD_GET_CPLD_FW_VER", "UPD_GET_RADIO_MODE", "UPD_GET_CVM_LOCK_STATUS",
                           "UPD_GET_RADIO_STATUS", "UPD_INIT_UPGRADE_CVMFLASH"}) {
    script += SendCommand(name);
  }
  // The header needs a hex file; without one nothing is sent.
  script += "select 1039 \"UPD_SEND_CVM_HEADER\"\nfile cancel\nclick 1023\nanswer ok\n";
  // UPD_CVM_IMAGE_END wants a payload of 32 bytes, so the bare command is never sent and its
  // reply time-out runs out. Country code 254 has no console-parameter file.
  for (const char* name :
       {"UPD_RESET_CONSOLE", "UPD_INIT_UPGRADE_RADIOPARAMS", "UPD_INIT_UPGRADE_DSPFLASH",
        "UPD_INIT_VERIFY_RADIO_STATUS", "UPD_SEND_CVM_BOOTLOADER", "UPD_ENABLE_USB",
        "UPD_INIT_UPGRADE_CONSOLEPARAMS", "UPD_CVM_IMAGE_END", "UPD_INIT_UPGRADE_DSP_COMP",
        "UPD_ENABLE_USB_UPGRADE"}) {
    script += SendCommand(name);
  }
  script += "time\ndump 1023\nclick 1\n";

  const RunResult result = root.Run(script, root.Scenario(BehindAForeignDevice(kConsoleReplies)));

  EXPECT_EQ(result.transcript,
            (Lines{
                "dialog open 104",
                tessaly_e2e::FileDialogLine(tessaly_e2e::kCvmFilter, ""),
                tessaly_e2e::WindowBoxLine("CVM file is NULL, Aborting the upgrade", "error"),
                "time ms=20000",
                R"(control 1023 text="Send Command" enabled=1 visible=1)",
                "dialog close 104 result=1",
                "exit code=0",
            }));
  EXPECT_EQ(root.StatusFile(),
            std::string(kFoundAsOne) +
                "\r\nDSP Flash F/W version: QVX.CON.01.209\r\n"
                "\r\nCVM Flash F/W version: 1a.07\r\n"
                "\r\nCPLD  F/W version: ABCD\r\n"
                "\r\nCountry code: 254\r\n"
                "\r\nLock Status: 3\r\n"
                "\r\nRadio Verification status: 0\r\n"
                "\r\nCVM upgrade response received\r\nCVM Flash F/W version: 1a.07\r\n"
                "Please wait for complete upgrade initialization!\r\n"
                "\r\nValid Reset Console response received\r\n"
                "Please wait a while for complete console reinitialization!\r\n"
                "\r\nValid Radio params upgrade response received\r\n"
                "\r\nValid response for UPD_INIT_VERIFY_RADIO_STATUS received\r\n"
                "\r\nValid BootLoader response received\r\n"
                "\r\nValid Enable USB response received\r\n" +
                tessaly_e2e::kNoResponseText +
                "\r\nDSP Composite upgrade response received\r\n"
                "Please wait for complete upgrade initialization!\r\n"
                "\r\nValid Enable USB Upgrade response received\r\n");
  Lines requests;
  for (const char* code :
       {"0xD002", "0xD003", "0xD001", "0xD01C", "0xD01D", "0xD0AE", "0xD00A", "0xD0AB", "0xD01A",
        "0xD009", "0xD0AD", "0xD014", "0xD0AA", "0xD005", "0xD0AC"}) {
    requests.push_back(RequestRecordLine(code));
  }
  EXPECT_EQ(root.Record(), requests);
}

TEST(EngineeringReplyTest, AReplyWithTheWrongCodeShowsItsRowsFailureOnceWithoutRetry) {
  const TessalyRoot root = EngineeringRoot();
  const std::vector<std::string> codes = {"0xD002", "0xD003", "0xD001", "0xD01C", "0xD01D",
                                          "0xD0AE", "0xD0AD", "0xD01A", "0xD0AA"};
  std::string faults;
  for (const std::string& code : codes) {
    faults += std::string(faults.empty() ? "" : ", ") + R"({"command": ")" + code +
              R"(", "kind": "wrong-code"})";
  }
  std::string script = "click 1022\n";
  for (const char* name :
       {"UPD_GET_DSPFLASH_FW_VER", "UPD_GET_CVMFLASH_FW_VER", "UPD_GET_CPLD_FW_VER",
        "UPD_GET_RADIO_MODE", "UPD_GET_CVM_LOCK_STATUS", "UPD_GET_RADIO_STATUS",
        "UPD_INIT_VERIFY_RADIO_STATUS", "UPD_INIT_UPGRADE_RADIOPARAMS", "UPD_ENABLE_USB"}) {
    script += SendCommand(name);
  }
  script += "time\ndump 1023\nclick 1\n";

  const RunResult result =
      root.Run(script, root.Scenario(BehindAForeignDevice(std::string(kConsoleReplies) +
                                                          R"(, "faults": [)" + faults + "]")));

  EXPECT_EQ(result.transcript, (Lines{
                                   "dialog open 104",
                                   "time ms=0",
                                   R"(control 1023 text="Send Command" enabled=1 visible=1)",
                                   "dialog close 104 result=1",
                                   "exit code=0",
                               }));
  EXPECT_EQ(root.StatusFile(),
            std::string(kFoundAsOne) +
                "\nReceived response verification failed\r\n"
                "\r\nReceived response verification failed for UPD_GET_CVMFLASH_FW_VER\r\n"
                "\r\nReceived response verification failed\r\n"
                "\nReceived response verification failed\r\n"
                "\nReceived response verification failed for UPD_GET_CVM_LOCK_STATUS\r\n"
                "\nReceived response verification failed for UPD_GET_RADIO_STATUS\r\n"
                "\nReceived response verification failed for UPD_INIT_VERIFY_RADIO_STATUS\r\n"
                "\r\nReceived response verification failed for UPD_INIT_UPGRADE_RADIOPARAMS\r\n"
                "\r\nReceived response verification failed\r\n");
  Lines requests;
  for (const std::string& code : codes) requests.push_back(RequestRecordLine(code));
  EXPECT_EQ(root.Record(), requests) << "each command is sent once: no retry";
}

}  // namespace
