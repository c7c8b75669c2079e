// Texts between the terminal's encoding and GBK, the encoding of the settings files: UTF-8 on
// the host, the ANSI code page on Windows. Nothing when the text does not convert (bytes that
// are not valid in the source encoding, characters the target encoding lacks).
#pragma once

#include <optional>
#include <string>

std::optional<std::string> gbkFromTerminal(const std::string& text);
std::optional<std::string> terminalFromGbk(const std::string& text);
