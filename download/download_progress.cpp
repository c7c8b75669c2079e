#include "download/download_progress.h"

#include "platform/text.h"

int32_t downloadPercent(int64_t downloaded, int64_t total) {
  const int32_t percent =
      percentOf(static_cast<double>(downloaded), static_cast<double>(total));
  return percent > 100 ? 100 : percent;
}

std::string downloadStatusText(int32_t percent) {
  const std::string progressFormat = "系统正在为您高速下载%s,请稍后......";
  return fillText(progressFormat, {std::to_string(percent) + "%"});
}
