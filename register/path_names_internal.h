// The two shell rules of register/path_names.h as byte offsets into a path that holds no 0
// byte; the Windows build asks the shell, the host build has its own code.
#pragma once

#include <cstddef>
#include <string>

size_t fileNameStart(const std::string& path);
// path.size() when there is no extension.
size_t extensionStart(const std::string& path);
