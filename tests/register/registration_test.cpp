// The registration's texts: the program to start, the shortcut, the group and the record, from
// directory texts as the user may leave them in dirEdit.
#include <gtest/gtest.h>

#include <string>

#include "register/registration.h"

namespace {

// "乗" is 81 5C in GBK: its trail byte is the backslash's byte, and still no backslash.
const std::string kTrailBackslash = "\x81\x5C";

struct DirectoryCase {
  const char* what;
  std::string installDir;
  std::string programPath;  // for the program setting "bin\app.exe"
  std::string recordLine1;
};

const DirectoryCase kDirectoryCases[] = {
    {"the default, with its backslash", "C:\\Program Files\\Mervantis\\",
     "C:\\Program Files\\Mervantis\\app.exe", "C:\\Program Files\\Mervantis"},
    {"typed without a backslash", "D:\\Apps", "D:\\Apps\\app.exe", "D:\\Apps"},
    {"a drive's root", "D:\\", "D:\\app.exe", "D:"},
    {"ending in a trail byte 5C", "D:\\" + kTrailBackslash, "D:\\" + kTrailBackslash + "\\app.exe",
     "D:\\" + kTrailBackslash},
    {"empty: the root of the current drive, as the extraction writes", "", "\\app.exe", ""},
};

TEST(RegistrationTexts, ProgramPathAndRecordLineOneFollowTheDirectoryText) {
  for (const DirectoryCase& row : kDirectoryCases) {
    EXPECT_EQ(programPathFor(row.installDir, "bin\\app.exe"), row.programPath) << row.what;
    EXPECT_EQ(uninstallRecordFor(row.installDir, "s", "g").lines[0], row.recordLine1) << row.what;
  }
}

TEST(RegistrationTexts, OnlyTheProgramSettingsLastComponentCounts) {
  EXPECT_EQ(programPathFor("C:\\M\\", "app.exe"), "C:\\M\\app.exe");
  EXPECT_EQ(programPathFor("C:\\M\\", "tools/x/程序.exe"), "C:\\M\\程序.exe");
  EXPECT_EQ(programPathFor("C:\\M\\", ""), "");
}

TEST(RegistrationTexts, TheShortcutIsTrimmedTheGroupIsNot) {
  const std::string desktop = "C:\\users\\me\\Desktop\\";
  const std::string programs = "C:\\users\\me\\Start Menu\\Programs\\";
  // ASCII and full-width spaces (A1 A1) both go from the shortcut's name.
  EXPECT_EQ(shortcutPathFor(desktop, "测试软件 \xA1\xA1 "), desktop + "测试软件");
  EXPECT_EQ(shortcutPathFor(desktop, "hq"), desktop + "hq");

  const ProgramGroup plain = programGroupFor(programs, "测试软件");
  EXPECT_EQ(plain.folder, programs + "测试软件");
  EXPECT_EQ(plain.programItem, programs + "测试软件\\测试软件.lnk");
  EXPECT_EQ(plain.uninstallItem, programs + "测试软件\\卸载.lnk");

  // The folder Windows creates for "x . " is "x": the items go there, under the name as read.
  const ProgramGroup spaced = programGroupFor(programs, "x . ");
  EXPECT_EQ(spaced.folder, programs + "x . ");
  EXPECT_EQ(spaced.programItem, programs + "x\\x . .lnk");
  EXPECT_EQ(spaced.uninstallItem, programs + "x\\卸载.lnk");
  // A full-width space stays in the folder's name.
  EXPECT_EQ(programGroupFor(programs, "x\xA1\xA1").programItem,
            programs + "x\xA1\xA1\\x\xA1\xA1.lnk");
}

TEST(RegistrationTexts, TheRecordsLinesTwoAndThree) {
  const UninstallRecord record =
      uninstallRecordFor("C:\\M\\", "C:\\Desktop\\测试软件", "C:\\Programs\\测试软件 ");
  EXPECT_EQ(record.lines[1], "C:\\Desktop\\测试软件.lnk");
  EXPECT_EQ(record.lines[2], "C:\\Programs\\测试软件 ");
}

}  // namespace
