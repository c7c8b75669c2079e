// One table of paths for both builds: on Windows the shell's own functions answer, on the
// host our code, and both must give these results.
#include <gtest/gtest.h>

#include <string>

#include "register/path_names.h"

namespace {

struct PathCase {
  std::string path;
  std::string fileName;
  std::string bareName;  // without the extension
  std::string extension;
};

const PathCase kPathCases[] = {
    {"C:\\Program Files\\hq\\app.exe", "app.exe", "app", ".exe"},
    {"bin\\app.exe", "app.exe", "app", ".exe"},
    {"app.exe", "app.exe", "app", ".exe"},
    {"archive.tar.gz", "archive.tar.gz", "archive.tar", ".gz"},
    {"dir/sub/file.txt", "file.txt", "file", ".txt"},
    {"C:file.txt", "file.txt", "file", ".txt"},
    {"\\\\server\\share", "share", "share", ""},
    // A separator at the end, or before another one, does not start a component.
    {"C:\\dir.d\\", "dir.d\\", "dir.d\\", ""},
    {"C:\\a\\\\b", "b", "b", ""},
    {"C:\\", "C:\\", "C:\\", ""},
    {"file\\", "file\\", "file\\", ""},
    // A backslash or a space after the last dot: no extension.
    {"C:\\dir.d\\file", "file", "file", ""},
    {"my file.a b", "my file.a b", "my file.a b", ""},
    {"my.file name", "my.file name", "my.file name", ""},
    {"name.", "name.", "name", "."},
    {".profile", ".profile", "", ".profile"},
    {"", "", "", ""},
    // GBK: a trail byte of 0x5C is no separator (乗 is 81 5C); 0x80 and 0xFF lead nothing.
    {"C:\\\xB3\xCC\xD0\xF2\\\xC8\xED\xBC\xFE.exe", "\xC8\xED\xBC\xFE.exe", "\xC8\xED\xBC\xFE",
     ".exe"},
    {"C:\\\x81\x5C" "a.txt", "\x81\x5C" "a.txt", "\x81\x5C" "a", ".txt"},
    {"a\x80\\b.txt", "b.txt", "b", ".txt"},
    {"a\xFF\\b.txt", "b.txt", "b", ".txt"},
    {"dir\\\x81", "\x81", "\x81", ""},
    // The path ends at its first 0 byte.
    {std::string("dir\\a.txt\0\\b.exe", 16), "a.txt", "a", ".txt"},
};

std::string shown(const std::string& text) {
  std::string out;
  for (unsigned char byte : text) {
    if (byte >= 0x20 && byte < 0x7F) {
      out += static_cast<char>(byte);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

TEST(PathNames, FileNameAndExtensionFollowTheShellsRules) {
  for (const PathCase& row : kPathCases) {
    SCOPED_TRACE("path \"" + shown(row.path) + "\"");
    EXPECT_EQ(shown(fileNameOfPath(row.path, true)), shown(row.fileName));
    EXPECT_EQ(shown(fileNameOfPath(row.path, false)), shown(row.bareName));
    EXPECT_EQ(shown(extensionOfPath(row.path)), shown(row.extension));
  }
}

}  // namespace
