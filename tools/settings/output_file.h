// Output files of the publisher's tools: written beside their final name under a temporary one
// and renamed into place only when complete (register/platform_file.h: replaceFile), so a
// failure never leaves a partial output.
#pragma once

#include <string>

// A name in the same folder as `name` that no file is likely to have: name + ".XXXXXX.tmp".
std::string temporaryNameBeside(const std::string& name);
