#include <iostream>

#include "tools/pack/pack_tool.h"

int main(int argc, char** argv) {
  return runPackTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
