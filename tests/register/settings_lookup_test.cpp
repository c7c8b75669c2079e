// The settings lookup on enciphered files: the line rules, the installer's own two lookups on
// files made by the settings tool, and the defaults when a file cannot be used.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "register/encrypted_file.h"
#include "register/path_names.h"
#include "register/settings_lookup.h"
#include "tests/register/scratch_folder.h"
#include "tools/settings/settings_tool.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

void writeSettings(const std::string& name, const std::string& plain) {
  EncryptedFile file = EncryptedFile::open(name, OpenMode::writeCreateOrEmpty, Sharing::readWrite,
                                           kPackagePassword);
  ASSERT_TRUE(file.isOpen());
  ASSERT_TRUE(file.write(plain));
}

struct LookupCase {
  const char* what;
  std::string content;
  const char* section;
  const char* key;
  const char* defaultValue;
  std::string expected;
};

const LookupCase kLookupCases[] = {
    {"an entry of the section", "[pro]\r\npfexe=bin\\app.exe\r\n", "pro", "pfexe", "",
     "bin\\app.exe"},
    {"the value keeps its spaces and any further =", "[pro]\npfexe= a=b \n", "pro", "pfexe", "d",
     " a=b "},
    {"an entry ending right after = is empty, not the default", "[pro]\npfexe=\n", "pro",
     "pfexe", "d", ""},
    {"an entry before the header is not seen", "pfexe=before\n[pro]\npfexe=inside\n", "pro",
     "pfexe", "", "inside"},
    {"only the first header counts", "[pro]\nother=1\n[next]\n[pro]\npfexe=second\n", "pro",
     "pfexe", "d", "d"},
    {"the first entry wins", "[pro]\npfexe=first\npfexe=second\n", "pro", "pfexe", "", "first"},
    {"a lone [ does not end the section", "[pro]\n[\npfexe=after\n", "pro", "pfexe", "",
     "after"},
    {"[] ends the section", "[pro]\n[]\npfexe=after\n", "pro", "pfexe", "d", "d"},
    {"the next header ends the section", "[pro]\nother=1\n[another]\npfexe=x\n", "pro", "pfexe",
     "d", "d"},
    {"a longer key or a leading space is no entry", "[pro]\npfexe2=no\n pfexe=no\npfexe=yes\n",
     "pro", "pfexe", "", "yes"},
    {"spaces around = make no entry", "[pro]\npfexe = spaced\n", "pro", "pfexe", "d", "d"},
    {"a header with a trailing space opens nothing", "[pro] \npfexe=x\n", "pro", "pfexe", "d",
     "d"},
    {"a header in other letter case opens nothing", "[PRO]\npfexe=x\n", "pro", "pfexe", "d", "d"},
    {"0x1A after the header ends the search", "[pro]\n\x1Apfexe=x\n", "pro", "pfexe", "d", "d"},
    {"0x1A before the header ends the search", "\x1A[pro]\npfexe=x\n", "pro", "pfexe", "d", "d"},
    {"a missing section", "[other]\npfexe=x\n", "pro", "pfexe", "d", "d"},
    {"a missing key without a default is empty", "[pro]\nother=x\n", "pro", "pfexe", "", ""},
    {"GBK section and key", "[配置]\r\n版本=2\r\n软件名=测试 软件\r\n", "配置", "软件名", "hq",
     "测试 软件"},
};

TEST(SettingsLookup, FollowsTheLineRules) {
  ScratchFolder folder;
  const std::string name = folder.path("settings.dll");
  for (const LookupCase& row : kLookupCases) {
    SCOPED_TRACE(row.what);
    writeSettings(name, row.content);
    EXPECT_EQ(lookupSetting(name, true, row.section, row.key, row.defaultValue), row.expected);
  }
}

TEST(SettingsLookup, FindsTheLastLineOfAFileOfManyBlocks) {
  ScratchFolder folder;
  const std::string name = folder.path("long.dll");
  std::string content = "[pro]\r\n";
  for (int line = 0; content.size() < 5 * 4096; ++line)
    content += "key" + std::to_string(line) + "=\xD6\xB5" + std::string(line % 50, 'v') + "\r\n";
  content += "pfexe=last.exe";
  writeSettings(name, content);
  EXPECT_EQ(lookupSetting(name, true, "pro", "pfexe"), "last.exe");
  EXPECT_EQ(lookupSetting(name, true, "pro", "key100"), "\xD6\xB5");
}

TEST(SettingsLookup, AFileThatCannotBeUsedGivesTheDefault) {
  ScratchFolder folder;
  EXPECT_EQ(lookupSetting(folder.path("missing.dll"), true, "pro", "pfexe", "d"), "d");
  EXPECT_EQ(lookupSetting(folder.path(), true, "pro", "pfexe", "d"), "d");  // a folder
  // Another password: the bytes decipher to something else.
  const std::string name = folder.path("other.dll");
  writeSettings(name, "[pro]\npfexe=x\n");
  EXPECT_EQ(lookupSettingWithPassword("other", name, "pro", "pfexe", "d"), "d");
  EXPECT_EQ(lookupSettingWithPassword(kPackagePassword, name, "pro", "pfexe", "d"), "x");
#ifdef _WIN32
  // The installer opens settings for reading and writing: a read-only file is not read.
  ASSERT_TRUE(SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(lookupSetting(name, true, "pro", "pfexe", "d"), "d");
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

TEST(SettingsLookup, WithoutAPathReadsEcrtBesideTheProgram) {
  ASSERT_FALSE(runDirectory().empty());
  std::filesystem::create_directories(runDirectory() + "/zhi");
  writeSettings(runDirectory() + "\\zhi\\ecrt.dll", "[s]\nk=beside the program\n");
  EXPECT_EQ(lookupSetting("ignored", false, "s", "k", "d"), "beside the program");
  std::error_code ignored;
  std::filesystem::remove_all(runDirectory() + "/zhi", ignored);
}

// The settings tool (the same code as the command-line program) enciphers the package's two
// files; the installer's lookups then read them.
int runTool(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream errors;
  int code = runSettingsTool(arguments, out, errors);
  EXPECT_EQ(errors.str(), "");
  return code;
}

TEST(SettingsLookup, TheInstallersTwoLookupsOnFilesMadeByTheSettingsTool) {
  ScratchFolder install;
  std::filesystem::create_directories(install.path("zhi/pz"));
  EXPECT_EQ(lookupPackageSetting(install.path(), kProgramSetting), "");
  EXPECT_EQ(lookupPackageSetting(install.path(), kSoftwareNameSetting), "hq");

  writeRawFile(install.path("pro.txt"), "[pro]\r\npfexe=bin\\\xB3\xCC\xD0\xF2.exe\r\n");
  writeRawFile(install.path("cl.txt"), "[配置]\r\n软件名=测试软件 \r\n");
  const std::string pz = install.path() + "\\zhi\\pz\\";
  ASSERT_EQ(runTool({"encrypt", install.path("pro.txt"), pz + "pro.dll"}), kToolSucceeded);
  ASSERT_EQ(runTool({"encrypt", install.path("cl.txt"), pz + "cl.dll"}), kToolSucceeded);

  std::string program = lookupPackageSetting(install.path(), kProgramSetting);
  EXPECT_EQ(program, "bin\\\xB3\xCC\xD0\xF2.exe");
  EXPECT_EQ(fileNameOfPath(program, true), "\xB3\xCC\xD0\xF2.exe");
  EXPECT_EQ(lookupPackageSetting(install.path(), kSoftwareNameSetting), "测试软件 ");
}

}  // namespace
