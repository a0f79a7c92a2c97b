// make_sample_root: writes a sample installation of Tessaly below a folder that stands for
// drive C: (see docs/sample_root.md).

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "apps/make_sample_root/sample_root.h"

namespace {

constexpr char kUsage[] =
    "usage: make_sample_root <root folder> [--mode NORMAL|VARSOLIN] [--composite YES|NO]\n"
    "                        [--upgrade YES|NO] [--dsp-size <bytes>] [--cvm-size <bytes>]\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return EXIT_FAILURE;
}

int Help() {
  std::fputs(kUsage, stdout);
  return EXIT_SUCCESS;
}

bool AsksForHelp(std::string_view argument) { return argument == "--help" || argument == "-h"; }

// Sizes beyond this are a typing mistake, not a firmware image.
constexpr unsigned long long kLargestImageSize = 64ULL * 1024 * 1024;

bool ParseSize(const char* text, std::size_t& size) {
  char* end = nullptr;
  if (text[0] == '-') return false;  // strtoull would wrap a negative number around
  const unsigned long long value = std::strtoull(text, &end, 0);
  if (end == text || *end != '\0' || value > kLargestImageSize) return false;
  size = static_cast<std::size_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string_view root = argv[1];
  if (AsksForHelp(root)) return Help();
  // An option where the folder belongs is a mistake; a folder named so is given as ./-name.
  if (root.starts_with('-')) return Usage();
  sample_root::Options options;
  for (int index = 2; index < argc; index += 2) {
    const std::string_view option = argv[index];
    if (index + 1 >= argc) return Usage();
    const char* value = argv[index + 1];
    if (option == "--mode") {
      options.mode = value;
    } else if (option == "--composite") {
      options.composite = value;
    } else if (option == "--upgrade") {
      options.upgrade = value;
    } else if (option == "--dsp-size") {
      if (!ParseSize(value, options.dsp_image_size)) return Usage();
    } else if (option == "--cvm-size") {
      if (!ParseSize(value, options.cvm_image_size)) return Usage();
    } else {
      return Usage();
    }
  }
  try {
    sample_root::WriteSampleRoot(argv[1], options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_sample_root: %s\n", error.what());
    return EXIT_FAILURE;
  }
  std::printf("Sample installation written below %s\n", argv[1]);
  return EXIT_SUCCESS;
}
