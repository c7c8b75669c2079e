#include <iostream>

#include "tools/settings/settings_tool.h"

int main(int argc, char** argv) {
  return runSettingsTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
