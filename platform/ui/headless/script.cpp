#include "platform/ui/headless/script.h"

#include <cctype>
#include <charconv>
#include <optional>

#include "platform/ui/headless/text_escape.h"

namespace platform {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;

bool IsSpace(char character) { return std::isspace(static_cast<unsigned char>(character)) != 0; }

// Splits a line into words and quoted texts; a "#" outside quotes ends the line.
bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error) {
  std::size_t index = 0;
  while (index < line.size()) {
    if (IsSpace(line[index])) {
      ++index;
    } else if (line[index] == '#') {
      break;
    } else if (line[index] == '"') {
      std::size_t end = index + 1;
      while (end < line.size() && line[end] != '"') {
        end += line[end] == '\\' ? 2 : 1;
      }
      if (end >= line.size()) {
        error = "a quoted text is not closed";
        return false;
      }
      const auto text = UnescapeText(line.substr(index + 1, end - index - 1), error);
      if (!text) {
        return false;
      }
      tokens.push_back(Token{*text, true});
      index = end + 1;
    } else {
      std::size_t end = index;
      while (end < line.size() && !IsSpace(line[end]) && line[end] != '"') {
        ++end;
      }
      tokens.push_back(Token{std::string(line.substr(index, end - index)), false});
      index = end;
    }
  }
  return true;
}

std::optional<long long> ParseNumber(const Token& token) {
  if (token.quoted || token.text.empty()) {
    return std::nullopt;
  }
  std::string_view digits = token.text;
  int base = kDecimalBase;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = kHexBase;
  }
  long long value = 0;
  const auto [end, status] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (status != std::errc() || end != digits.data() + digits.size() || value < 0) {
    return std::nullopt;
  }
  return value;
}

bool IsWord(const std::vector<Token>& tokens, std::size_t index, std::string_view word) {
  return index < tokens.size() && !tokens[index].quoted && tokens[index].text == word;
}

// Reads the command of one line; false with `error` set when it is not understood.
bool ParseCommand(const std::vector<Token>& tokens, ScriptCommand& command, std::string& error) {
  const std::string& name = tokens[0].text;
  std::size_t expected = 2;
  auto number_at = [&](std::size_t index) {
    const auto value = index < tokens.size() ? ParseNumber(tokens[index]) : std::nullopt;
    if (value) {
      command.number = *value;
    }
    return value.has_value();
  };
  if (tokens[0].quoted) {
    error = "a command must begin with its name";
    return false;
  }
  if (name == "click" || name == "dump" || name == "pause" || name == "sysmenu") {
    command.kind = name == "click"   ? CommandKind::kClick
                   : name == "dump"  ? CommandKind::kDump
                   : name == "pause" ? CommandKind::kPause
                                     : CommandKind::kSystemMenu;
    if (!number_at(1)) {
      error = name + " needs a number";
      return false;
    }
    if ((command.kind == CommandKind::kDump || command.kind == CommandKind::kClick) &&
        IsWord(tokens, 2, "now")) {
      command.settle = false;
      expected = 3;
    }
  } else if (name == "select") {
    command.kind = CommandKind::kSelect;
    expected = 3;
    if (!number_at(1) || tokens.size() < 3 || !tokens[2].quoted) {
      error = "select needs a control id and a quoted item text";
      return false;
    }
    command.text = tokens[2].text;
    if (IsWord(tokens, 3, "now")) {
      command.settle = false;
      expected = 4;
    }
  } else if (name == "answer") {
    command.kind = CommandKind::kAnswer;
    command.ok = IsWord(tokens, 1, "ok");
    if (!command.ok && !IsWord(tokens, 1, "cancel")) {
      error = "answer needs ok or cancel";
      return false;
    }
  } else if (name == "file") {
    command.kind = CommandKind::kFile;
    command.ok = tokens.size() > 1 && tokens[1].quoted;
    if (!command.ok && !IsWord(tokens, 1, "cancel")) {
      error = "file needs a quoted path or cancel";
      return false;
    }
    if (command.ok) {
      command.text = tokens[1].text;
    }
  } else if (name == "wait" && IsWord(tokens, 1, "idle")) {
    command.kind = CommandKind::kWaitIdle;
  } else if (name == "wait" && IsWord(tokens, 1, "dialog")) {
    command.kind = CommandKind::kWaitDialog;
    expected = 3;
    if (!number_at(2)) {
      error = "wait dialog needs a template id";
      return false;
    }
  } else if (name == "wait") {
    error = "wait needs idle or dialog <template id>";
    return false;
  } else if (name == "close") {
    command.kind = CommandKind::kClose;
    expected = 1;
  } else if (name == "time") {
    command.kind = CommandKind::kTime;
    command.settle = !IsWord(tokens, 1, "now");
    expected = command.settle ? 1 : 2;
  } else {
    error = "unknown command \"" + std::string(name) + "\"";
    return false;
  }
  if (tokens.size() != expected) {
    error = "too many words for " + name;
    return false;
  }
  return true;
}

}  // namespace

ParsedScript ParseScript(std::string_view text) {
  ParsedScript script;
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;

    std::vector<Token> tokens;
    std::string error;
    ScriptCommand command;
    command.line = line_number;
    if (Tokenize(line, tokens, error) && (tokens.empty() || ParseCommand(tokens, command, error))) {
      if (!tokens.empty()) {
        script.commands.push_back(std::move(command));
      }
      continue;
    }
    script.error = error;
    script.error_line = line_number;
    script.commands.clear();
    return script;
  }
  return script;
}

}  // namespace platform
