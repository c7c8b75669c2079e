// What the download shows after each chunk.
#pragma once

#include <cstdint>
#include <string>

// downloaded / total * 100, dividing first in double precision and truncating, as the
// percentage has always been shown (29 of 100 shows 28). 0 when total is 0; never above 100
// (a server may send more than it announced).
int32_t downloadPercent(int64_t downloaded, int64_t total);

// "系统正在为您高速下载42%,请稍后......" for 42.
std::string downloadStatusText(int32_t percent);
