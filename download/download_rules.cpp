#include "download/download_rules.h"

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

void PackageText::feed(const char* bytes, size_t count) {
  for (size_t i = 0; i < count && !ended_; ++i) {
    const char byte = bytes[i];
    if (pendingLead_) {
      pendingLead_ = false;
      if (byte == '\0') {
        ended_ = true;
        break;
      }
      text_ += lead_;
      text_ += byte;
    } else if (byte == '\0' || byte == '\x1A') {
      ended_ = true;
    } else if (isLeadByte(static_cast<unsigned char>(byte))) {
      pendingLead_ = true;
      lead_ = byte;
    } else {
      text_ += byte;
    }
  }
}

std::string PackageText::finish() {
  if (pendingLead_) {
    text_ += lead_;
    pendingLead_ = false;
  }
  ended_ = true;
  return text_;
}

bool isHtmlPage(const std::string& packageText) { return findText(packageText, "<head>") > 0; }
