// The status line's text, as the canvas writes it.
#pragma once

#include <string>
#include <vector>

// The lines of a text: a CR, an LF or a CR LF ends a line and starts the next, which the
// canvas writes below it. A line break inside a double-byte character (its second byte) is
// part of that character, not a break. An empty text is one empty line.
std::vector<std::string> statusLines(const std::string& text);
