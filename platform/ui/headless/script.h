#pragma once

// The automation script: one command a line, "#" starts a comment, texts in double quotes with
// C escapes.

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock/clock.h"

namespace platform {

enum class CommandKind {
  kClick,       // click <id>, optionally followed by now
  kSelect,      // select <id> "<text>", optionally followed by now
  kAnswer,      // answer ok | answer cancel
  kFile,        // file "<path>" | file cancel
  kWaitIdle,    // wait idle
  kWaitDialog,  // wait dialog <template id>
  kDump,        // dump <id> | dump 0, optionally followed by now
  kPause,       // pause <ms>
  kClose,       // close
  kSystemMenu,  // sysmenu <command id>: choose an item of the system menu
  kTime,        // time | time now: write the program's clock to the transcript
};

struct ScriptCommand {
  CommandKind kind = CommandKind::kWaitIdle;
  int line = 0;
  long long number = 0;  // control, template or command id; milliseconds for pause
  std::string text;      // select: the item; file: the path
  bool ok = true;        // answer ok / answer cancel; file "<path>" / file cancel
  bool settle = true;    // false for the now forms: act without settling first
};

struct ParsedScript {
  std::vector<ScriptCommand> commands;
  std::string error;  // empty when the whole script was understood
  int error_line = 0;
};

ParsedScript ParseScript(std::string_view text);

}  // namespace platform
