#include "tools/settings/output_file.h"

#include <cstdint>
#include <cstdio>
#include <random>

std::string temporaryNameBeside(const std::string& name) {
  std::random_device source;
  std::uniform_int_distribution<uint32_t> digits(0, 0xFFFFFF);
  char suffix[16];
  std::snprintf(suffix, sizeof(suffix), ".%06x.tmp", digits(source));
  return name + suffix;
}
