#include "outside/console_sim/scenario_file.h"

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "outside/console_sim/hex_text.h"

namespace outside::console_sim {

namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw ScenarioError(where + ": " + what);
}

std::string Member(const std::string& where, std::string_view key) {
  return where + "." + std::string(key);
}

std::string Element(const std::string& where, std::size_t index) {
  return where + "[" + std::to_string(index) + "]";
}

// Refuses keys it does not know, so that a misspelt key is not silently ignored.
void RequireObject(const json& value, const std::string& where,
                   std::initializer_list<std::string_view> known) {
  if (!value.is_object()) Fail(where, "must be an object");
  for (const auto& [key, member] : value.items()) {
    if (std::find(known.begin(), known.end(), key) == known.end()) {
      Fail(Member(where, key), "is not a known key");
    }
  }
}

bool ReadBool(const json& value, const std::string& where) {
  if (!value.is_boolean()) Fail(where, "must be true or false");
  return value.get<bool>();
}

std::string ReadString(const json& value, const std::string& where) {
  if (!value.is_string()) Fail(where, "must be a text");
  return value.get<std::string>();
}

long long ReadPositive(const json& value, const std::string& where) {
  if (!value.is_number_integer() || value.get<long long>() < 1) {
    Fail(where, "must be a whole number of at least 1");
  }
  return value.get<long long>();
}

// A repeat count: at least 1, and more than an int holds is as good as forever.
int ReadTimes(const json& value, const std::string& where) {
  return static_cast<int>(std::min<long long>(ReadPositive(value, where), INT32_MAX));
}

std::uint16_t ReadCode(const json& value, const std::string& where) {
  try {
    return ParseCode(ReadString(value, where));
  } catch (const HexTextError& error) {
    Fail(where, error.what());
  }
}

ReplyTable ReadReplyTable(const json& value, const std::string& where) {
  if (!value.is_object()) Fail(where, "must be an object of request codes");
  ReplyTable table;
  for (const auto& [key, payload] : value.items()) {
    const std::string member = Member(where, key);
    try {
      table[ParseCode(key)] = ParseHexBytes(ReadString(payload, member));
    } catch (const HexTextError& error) {
      Fail(member, error.what());
    }
  }
  return table;
}

std::map<ImageKind, ReplyTable> ReadAfterImage(const json& value, const std::string& where) {
  RequireObject(value, where, {"dsp", "cvm", "cpld", "bootblock"});
  std::map<ImageKind, ReplyTable> tables;
  for (const auto& [key, replies] : value.items()) {
    tables[*ImageKindFromName(key)] = ReadReplyTable(replies, Member(where, key));
  }
  return tables;
}

FaultKind ReadFaultKind(const json& value, const std::string& where) {
  static const std::map<std::string, FaultKind> kKinds = {{"no-reply", FaultKind::kNoReply},
                                                          {"wrong-code", FaultKind::kWrongCode},
                                                          {"bad-length", FaultKind::kBadLength},
                                                          {"delay", FaultKind::kDelay}};
  const auto found = kKinds.find(ReadString(value, where));
  if (found == kKinds.end()) {
    Fail(where, "must be one of no-reply, wrong-code, bad-length, delay");
  }
  return found->second;
}

Fault ReadFault(const json& value, const std::string& where) {
  RequireObject(value, where, {"command", "kind", "times", "ms"});
  if (!value.contains("command")) Fail(where, "needs a command");
  if (!value.contains("kind")) Fail(where, "needs a kind");
  Fault fault;
  fault.command = ReadCode(value["command"], Member(where, "command"));
  fault.kind = ReadFaultKind(value["kind"], Member(where, "kind"));
  if (value.contains("times")) fault.times = ReadTimes(value["times"], Member(where, "times"));
  const bool has_delay = value.contains("ms");
  if (fault.kind == FaultKind::kDelay && !has_delay) Fail(where, "a delay needs ms");
  if (fault.kind != FaultKind::kDelay && has_delay)
    Fail(Member(where, "ms"), "only a delay has ms");
  if (has_delay) fault.delay_ms = ReadPositive(value["ms"], Member(where, "ms"));
  return fault;
}

int ReadCount(const json& value, const std::string& where) {
  if (!value.is_number_integer() || value.get<long long>() < 0) {
    Fail(where, "must be a whole number of at least 0");
  }
  return static_cast<int>(std::min<long long>(value.get<long long>(), INT32_MAX));
}

HideRule ReadHideRule(const json& value, const std::string& where) {
  RequireObject(value, where, {"after", "skip", "times"});
  if (!value.contains("after")) Fail(where, "needs an after");
  HideRule rule;
  const std::string after_where = Member(where, "after");
  if (ReadString(value["after"], after_where) != "reset") {
    rule.after_command = ReadCode(value["after"], after_where);
  }
  if (value.contains("skip")) rule.skip = ReadCount(value["skip"], Member(where, "skip"));
  if (value.contains("times")) rule.times = ReadTimes(value["times"], Member(where, "times"));
  return rule;
}

template <typename Item>
std::vector<Item> ReadList(const json& value, const std::string& where,
                           Item (*read_item)(const json&, const std::string&)) {
  if (!value.is_array()) Fail(where, "must be a list");
  std::vector<Item> items;
  for (std::size_t i = 0; i < value.size(); ++i) {
    items.push_back(read_item(value[i], Element(where, i)));
  }
  return items;
}

DeviceScenario ReadDevice(const json& value, const std::string& where) {
  RequireObject(value, where,
                {"string2", "refuse_open", "default_replies", "replies", "after_image", "faults",
                 "remove_after", "hide_after"});
  DeviceScenario device;
  if (value.contains("string2"))
    device.string2 = ReadString(value["string2"], Member(where, "string2"));
  if (value.contains("refuse_open")) {
    device.refuse_open = ReadBool(value["refuse_open"], Member(where, "refuse_open"));
  }
  if (value.contains("replies")) {
    device.replies = ReadReplyTable(value["replies"], Member(where, "replies"));
  }
  if (value.contains("after_image")) {
    device.after_image = ReadAfterImage(value["after_image"], Member(where, "after_image"));
  }
  // Replies written out in the file stand alone unless the built-in ones are asked for.
  device.default_replies = !value.contains("replies") && !value.contains("after_image");
  if (value.contains("default_replies")) {
    device.default_replies = ReadBool(value["default_replies"], Member(where, "default_replies"));
  }
  if (value.contains("faults")) {
    device.faults = ReadList(value["faults"], Member(where, "faults"), &ReadFault);
  }
  if (value.contains("remove_after")) {
    device.remove_after = ReadCode(value["remove_after"], Member(where, "remove_after"));
  }
  if (value.contains("hide_after")) {
    device.hide_after = ReadList(value["hide_after"], Member(where, "hide_after"), &ReadHideRule);
  }
  return device;
}

}  // namespace

Scenario ParseScenario(std::string_view json_text) {
  json root;
  try {
    root = json::parse(json_text);
  } catch (const json::exception& error) {
    // Also a number too large for any type (out_of_range), not only a syntax error.
    throw ScenarioError(std::string("not valid JSON: ") + error.what());
  }
  const std::string where = "scenario";
  RequireObject(root, where, {"devices", "record"});
  Scenario scenario;
  if (root.contains("devices")) {
    const json& devices = root["devices"];
    const std::string devices_where = "devices";
    if (!devices.is_array()) Fail(devices_where, "must be a list");
    scenario.devices.clear();
    for (std::size_t i = 0; i < devices.size(); ++i) {
      scenario.devices.push_back(ReadDevice(devices[i], Element(devices_where, i)));
    }
  }
  if (root.contains("record")) {
    const std::string record = ReadString(root["record"], "record");
    if (record.empty()) Fail("record", "must name a file");
    scenario.record = record;
  }
  return scenario;
}

Scenario LoadScenario(const std::filesystem::path& path) {
  const std::string name = "scenario file \"" + path.string() + "\"";
  std::error_code error_code;
  std::ifstream file(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path, error_code) || !file)
    throw ScenarioError(name + " cannot be read");
  std::ostringstream text;
  text << file.rdbuf();
  try {
    return ParseScenario(text.str());
  } catch (const ScenarioError& error) {
    throw ScenarioError(name + ": " + error.what());
  }
}

}  // namespace outside::console_sim
