#include "upgrade_app/images/image_paths.h"

#include <filesystem>
#include <system_error>

#include "platform/exceptions.h"
#include "platform/sys/path_mapping.h"

std::string ReplaceLastThree(std::string_view path, std::string_view extension) {
  if (path.size() < kReplacedLength) throw platform::CInvalidArgException();
  std::string result(path.substr(0, path.size() - kReplacedLength));
  result += extension;
  return result;
}

bool SameFile(std::string_view first, std::string_view second) {
  std::error_code error;
  return std::filesystem::equivalent(platform::MapPath(first), platform::MapPath(second), error) &&
         !error;
}
