#include "download/package_stamp.h"

#include <cstring>

#include "platform/text.h"

const char kStampBeginMarker[] = "#@#@#@#@#@#@#@#@#@#@#@##";
const char kStampEndMarker[] = "#$%$%$%$%$%$%$%$%$%$%$%#";

#ifndef MERVANTIS_DOWNLOAD_HOST
#error "the build sets MERVANTIS_DOWNLOAD_HOST"
#endif

std::string textBetween(const std::string& text, const std::string& begin, const std::string& end,
                        bool ignoreCase, bool allOccurrences, std::string& separator,
                        BetweenSearches betweenSearches) {
  const int32_t textLength = static_cast<int32_t>(text.size());
  if (!allOccurrences) {
    int32_t from = 1;
    if (!begin.empty()) {
      int32_t at = findText(text, begin, 1, ignoreCase);
      if (at < 0) return std::string();
      from = at + static_cast<int32_t>(begin.size());
    }
    int32_t to = textLength + 1;
    if (!end.empty()) {
      to = findText(text, end, from, ignoreCase);
      if (to < 0) return std::string();
    }
    return middlePart(text, from, to - from);
  }

  if (separator.empty()) separator = "\r\n";
  std::string pieces;
  int32_t start = 1;
  for (;;) {
    int32_t at = findText(text, begin, start, ignoreCase);
    if (at < 0) break;
    int32_t from = at + static_cast<int32_t>(begin.size());
    int32_t to = findText(text, end, from, ignoreCase);
    if (to < 0) break;
    pieces += middlePart(text, from, to - from);
    pieces += separator;
    start = to;  // the end marker may begin the next piece
    if (betweenSearches != nullptr) betweenSearches();
  }
  return pieces;
}

std::string textBetween(const std::string& text, const std::string& begin,
                        const std::string& end) {
  std::string unused;
  return textBetween(text, begin, end, false, false, unused);
}

std::string downloadAddress(const std::string& identifier) {
  const std::string addressFormat = "http://" MERVANTIS_DOWNLOAD_HOST "/down/%s/%s.zip";
  return fillText(addressFormat, {identifier, identifier});
}

std::vector<size_t> findStampFields(const std::string& bytes) {
  std::vector<size_t> fields;
  if (bytes.size() <= kPackageStampLength) return fields;
  const std::string begin = kStampBeginMarker;
  const std::string end = kStampEndMarker;
  for (size_t at = bytes.find(begin); at != std::string::npos && at + kPackageStampLength < bytes.size();
       at = bytes.find(begin, at + 1)) {
    if (bytes[at + kPackageStampLength] != '\0') continue;
    const std::string field = bytes.substr(at, kPackageStampLength);
    if (field.find('\0') != std::string::npos) continue;
    size_t endAt = field.find(end, begin.size());
    if (endAt == std::string::npos) continue;
    size_t tail = endAt + end.size();
    if (field.find_first_not_of(' ', tail) != std::string::npos) continue;
    fields.push_back(at);
  }
  return fields;
}

std::string stampFieldFor(const std::string& identifier) {
  if (identifier.size() > kLongestIdentifier) return std::string();
  if (identifier.find('\0') != std::string::npos) return std::string();
  if (identifier.find(kStampBeginMarker) != std::string::npos ||
      identifier.find(kStampEndMarker) != std::string::npos)
    return std::string();
  std::string field = kStampBeginMarker + identifier + kStampEndMarker;
  field.resize(kPackageStampLength, ' ');
  // A last lead byte would take the end marker's first byte as its trail byte, and the
  // program would read nothing: only a field that reads back as given is written.
  if (textBetween(field, kStampBeginMarker, kStampEndMarker) != identifier) return std::string();
  return field;
}
