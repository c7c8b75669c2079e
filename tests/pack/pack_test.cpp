// The package tool on real folders and real ZIP files, through the same code as the
// command-line program; on Windows under wine64 as well.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "register/encrypted_file.h"
#include "register/key_stream.h"
#include "register/settings_lookup.h"
#include "tests/register/scratch_folder.h"
#include "tools/pack/folder_tree.h"
#include "tools/pack/pack_tool.h"
#include "tools/pack/zip_reader.h"
#include "tools/pack/zip_writer.h"
#include "tools/settings/terminal_text.h"

namespace {

// A GBK literal as the terminal and the file system name it.
std::string local(const std::string& gbk) { return terminalFromGbk(gbk).value(); }

// Files and folders by names in the system's encoding, with "/" between levels.
void makeFolder(const std::string& path) {
#ifdef _WIN32
  CreateDirectoryA(path.c_str(), nullptr);
#else
  mkdir(path.c_str(), 0755);
#endif
}

void makeFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

bool exists(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file != nullptr) std::fclose(file);
  return file != nullptr;
}

struct ToolRun {
  int code;
  std::string out;
  std::string errors;
};

ToolRun pack(const std::vector<std::string>& arguments) {
  std::ostringstream out, errors;
  int code = runPackTool(arguments, out, errors);
  return {code, out.str(), errors.str()};
}

// A publisher's folder: the program, the uninstaller and a little more.
struct Source {
  ScratchFolder scratch;
  std::string folder = scratch.path("source");
  std::string out = scratch.path("package.zip");

  Source() {
    makeFolder(folder);
    makeFolder(folder + "/docs");
    makeFolder(folder + "/" + local("资料"));
    makeFile(folder + "/" + local("示例.exe"), "MZ program");
    makeFile(folder + "/uninst.exe", "MZ uninstaller");
    makeFile(folder + "/docs/readme.txt", std::string(70000, 'r'));
    makeFile(folder + "/" + local("资料") + "/" + local("说明.txt"), "notes");
  }
};

std::string settingFrom(ZipReader& archive, size_t index, const PackageSetting& setting,
                        const std::string& file) {
  std::optional<std::string> bytes = archive.read(index, 1 << 20);
  if (!bytes) return "(unreadable)";
  EncryptedFile::open(file, OpenMode::writeCreateOrEmpty).write(*bytes);
  return lookupSetting(file, true, setting.section, setting.key, setting.defaultValue);
}

TEST(PackTool, WritesFoldersBeforeTheirFilesAndTheEncipheredSettings) {
  Source source;
  std::vector<TreeEntry> before;
  std::string error;
  ASSERT_TRUE(listFolderTree(source.folder, before, error)) << error;

  const ToolRun run = pack({source.folder, source.out, "--program", local("示例.exe"), "--name",
                            local("示例软件")});
  ASSERT_EQ(run.code, kPackSucceeded) << run.errors;
  EXPECT_NE(run.out.find(local("program to start: <installation directory>\\示例.exe")),
            std::string::npos)
      << run.out;

  ZipReader archive;
  ASSERT_TRUE(archive.open(source.out));
  std::vector<std::string> names;
  for (const ZipEntry& entry : archive.entries()) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"docs/", "docs/readme.txt", "uninst.exe", "zhi/",
                                             "zhi/pz/", "zhi/pz/cl.dll", "zhi/pz/pro.dll",
                                             "示例.exe", "资料/", "资料/说明.txt"}));
  EXPECT_EQ(archive.read(1, 1 << 20), std::string(70000, 'r'));
  EXPECT_EQ(archive.read(7, 1 << 20), "MZ program");
  EXPECT_EQ(archive.read(9, 1 << 20), "notes");
  const std::string scratchFile = source.scratch.path("setting");
  EXPECT_EQ(settingFrom(archive, 6, kProgramSetting, scratchFile), "示例.exe");
  EXPECT_EQ(settingFrom(archive, 5, kSoftwareNameSetting, scratchFile), "示例软件");

  std::vector<TreeEntry> after;
  ASSERT_TRUE(listFolderTree(source.folder, after, error));
  ASSERT_EQ(after.size(), before.size());  // FOLDER is left as it was
  for (size_t at = 0; at < after.size(); ++at) EXPECT_EQ(after[at].name, before[at].name);

  const ToolRun check = pack({"--check", source.out});
  EXPECT_EQ(check.code, kPackSucceeded) << check.out;
  EXPECT_NE(check.out.find(local("program group:    <programs>\\示例软件, with "
                                 "<programs>\\示例软件\\示例软件.lnk and "
                                 "<programs>\\示例软件\\卸载.lnk\n")),
            std::string::npos)
      << check.out;
}

TEST(PackTool, FoldersOwnSettingsFiles) {
  // Its pro.dll is always replaced; its cl.dll goes in as it is unless --name is given.
  Source source;
  makeFolder(source.folder + "/zhi");
  makeFolder(source.folder + "/zhi/pz");
  EncryptedFile::open(source.folder + "/zhi/pz/pro.dll", OpenMode::writeCreateOrEmpty,
                      Sharing::readWrite, kPackagePassword)
      .write("[pro]\r\npfexe=old.exe\r\n");
  EncryptedFile::open(source.folder + "/zhi/pz/cl.dll", OpenMode::writeCreateOrEmpty,
                      Sharing::readWrite, kPackagePassword)
      .write("[配置]\r\n软件名=自带名称\r\n");

  ToolRun run = pack({source.folder, source.out, "--program", local("示例.exe")});
  ASSERT_EQ(run.code, kPackSucceeded) << run.errors;
  EXPECT_NE(run.out.find(local("software name:    自带名称\n")), std::string::npos) << run.out;
  const std::string scratchFile = source.scratch.path("setting");
  {
    ZipReader archive;  // closed before the package is written again
    ASSERT_TRUE(archive.open(source.out));
    EXPECT_EQ(settingFrom(archive, 5, kSoftwareNameSetting, scratchFile), "自带名称");
    EXPECT_EQ(settingFrom(archive, 6, kProgramSetting, scratchFile), "示例.exe");
  }

  run = pack({source.folder, source.out, "--program", local("示例.exe"), "--name", "Other"});
  ASSERT_EQ(run.code, kPackSucceeded) << run.errors;
  ZipReader again;
  ASSERT_TRUE(again.open(source.out));
  EXPECT_EQ(settingFrom(again, 5, kSoftwareNameSetting, scratchFile), "Other");
}

struct Refusal {
  const char* what;
  std::vector<std::string> arguments;  // after FOLDER and OUT
  int code;
  const char* message;
};

TEST(PackTool, RefusesWithoutWritingAnything) {
  const Refusal refusals[] = {
      {"no program option", {}, kPackUsageError, "--program NAME is needed"},
      {"a program that is not there", {"--program", "other.exe"}, kPackFailed,
       "FOLDER has no file 'other.exe' at its top"},
      {"a program below the top", {"--program", "docs/readme.txt"}, kPackUsageError,
       "holds a separator"},
      {"a software name with a trailing space", {"--program", local("示例.exe"), "--name", "A "},
       kPackUsageError, "begins or ends with a space"},
      {"a software name Windows cannot use", {"--program", local("示例.exe"), "--name", "a?b"},
       kPackUsageError, "a character Windows forbids"},
      {"an unknown option", {"--program", local("示例.exe"), "--force"}, kPackUsageError,
       "unknown option '--force'"},
  };
  for (const Refusal& refusal : refusals) {
    Source source;
    std::vector<std::string> arguments = {source.folder, source.out};
    arguments.insert(arguments.end(), refusal.arguments.begin(), refusal.arguments.end());
    const ToolRun run = pack(arguments);
    EXPECT_EQ(run.code, refusal.code) << refusal.what;
    EXPECT_NE(run.errors.find(refusal.message), std::string::npos) << refusal.what << run.errors;
    EXPECT_FALSE(exists(source.out)) << refusal.what;
  }

  Source source;
  std::remove((source.folder + "/uninst.exe").c_str());
  ToolRun run = pack({source.folder, source.out, "--program", local("示例.exe")});
  EXPECT_EQ(run.code, kPackFailed);
  EXPECT_NE(run.errors.find("no file 'uninst.exe'"), std::string::npos) << run.errors;
  EXPECT_FALSE(exists(source.out));

  run = pack({source.folder, source.folder + "/docs/out.zip", "--program", local("示例.exe")});
  EXPECT_EQ(run.code, kPackUsageError);
  EXPECT_NE(run.errors.find("must not lie inside FOLDER"), std::string::npos) << run.errors;
}

#ifndef _WIN32
TEST(PackTool, RefusesNamesTheExtractionWouldRefuse) {
  // Names only a Unix folder can hold.
  for (const char* name : {"what?.txt", "notes.", "Uninst.exe"}) {
    Source source;
    makeFile(source.folder + "/" + name, "x");
    const ToolRun run = pack({source.folder, source.out, "--program", local("示例.exe")});
    EXPECT_EQ(run.code, kPackFailed) << name;
    EXPECT_NE(run.errors.find(std::string("'") + name + "'"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("nothing written"), std::string::npos) << run.errors;
    EXPECT_FALSE(exists(source.out)) << name;
  }
}
#endif

// A package as another tool may have made it, written entry by entry.
struct Entry {
  std::string name;
  std::string content;  // a file's; folders end with "/"
};

std::string enciphered(std::string plain) {
  KeyStream::forPassword(kPackagePassword)
      ->apply(0, reinterpret_cast<uint8_t*>(plain.data()), plain.size());
  return plain;
}

void writePackage(const std::string& path, const std::vector<Entry>& entries) {
  ZipWriter archive;
  ASSERT_TRUE(archive.create(path));
  for (const Entry& entry : entries) {
    if (entry.name.back() == '/') {
      ASSERT_TRUE(archive.addFolder(entry.name, 0));
    } else {
      ASSERT_TRUE(archive.startFile(entry.name, 0, entry.content.size()));
      ASSERT_TRUE(archive.write(entry.content.data(), entry.content.size()));
      ASSERT_TRUE(archive.finishFile());
    }
  }
  ASSERT_TRUE(archive.close());
}

struct CheckCase {
  const char* what;
  std::vector<Entry> entries;
  std::vector<std::string> missing;  // a piece of each "missing:" line, in order
};

TEST(PackTool, CheckFindsEachMissingPiece) {
  const Entry zhi = {"zhi/", ""}, pz = {"zhi/pz/", ""};
  const Entry pro = {"zhi/pz/pro.dll", enciphered("[pro]\r\npfexe=bin\\app.exe\r\n")};
  const Entry cl = {"zhi/pz/cl.dll", enciphered("[配置]\r\n软件名=Demo\r\n")};
  const Entry app = {"app.exe", "MZ"}, uninst = {"uninst.exe", "MZ"};
  const CheckCase cases[] = {
      {"complete", {zhi, pz, pro, cl, app, uninst}, {}},
      {"no cl.dll: hq", {zhi, pz, pro, app, uninst}, {}},
      {"no pro.dll", {zhi, pz, cl, app, uninst}, {"the program to start"}},
      {"no program file", {zhi, pz, pro, cl, uninst}, {"the program app.exe at the top"}},
      {"no uninstaller", {zhi, pz, pro, cl, app}, {"uninst.exe at the top"}},
      {"no folder entries", {pro, cl, app, uninst},
       {"a folder entry 'zhi/' before 'zhi/pz/pro.dll'",
        "a folder entry 'zhi/pz/' before 'zhi/pz/pro.dll'"}},
      {"a name out of the folder", {zhi, pz, pro, cl, app, uninst, {"../evil.exe", "MZ"}},
       {"an acceptable name for '../evil.exe'"}},
      {"a name too long below the default directory",
       {zhi, pz, pro, cl, app, uninst, {std::string(230, 'n'), "MZ"}},
       {"in the default directory C:\\Program Files (x86)\\Mervantis\\"}},
      {"a settings file of the wrong cipher", {zhi, pz, {pro.name, "[pro]\r\npfexe=app.exe\r\n"},
       app, uninst}, {"the program to start"}},
  };
  ScratchFolder scratch;
  for (const CheckCase& row : cases) {
    const std::string path = scratch.path("case.zip");
    writePackage(path, row.entries);
    const ToolRun run = pack({"--check", path});
    EXPECT_EQ(run.code, row.missing.empty() ? kPackSucceeded : kPackFailed) << row.what;
    std::vector<std::string> lines;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);)
      if (line.rfind("missing: ", 0) == 0) lines.push_back(line);
    ASSERT_EQ(lines.size(), row.missing.size()) << row.what << "\n" << run.out;
    for (size_t at = 0; at < lines.size(); ++at)
      EXPECT_NE(lines[at].find(row.missing[at]), std::string::npos) << row.what << lines[at];
  }

  writePackage(scratch.path("case.zip"), {zhi, pz, pro, app, uninst});
  EXPECT_NE(pack({"--check", scratch.path("case.zip")})
                .out.find("software name:    hq (the default: the package has no zhi/pz/cl.dll)"),
            std::string::npos);
  // A package behind a stub, as a self-extracting one: minizip finds it, the installer not.
  const std::string package = readRawFile(scratch.path("case.zip"));
  writeRawFile(scratch.path("stub.zip"), "MZ stub" + package);
  const ToolRun stub = pack({"--check", scratch.path("stub.zip")});
  EXPECT_EQ(stub.code, kPackFailed);
  EXPECT_NE(stub.out.find("missing: a first entry at the start of the file"), std::string::npos)
      << stub.out;
  for (const std::string& content : {std::string("PK\x03\x04 but no more"),
                                     std::string("PK\x05\x06") + std::string(18, '\0')}) {
    makeFile(scratch.path("not.zip"), content);
    const ToolRun broken = pack({"--check", scratch.path("not.zip")});
    EXPECT_EQ(broken.code, kPackFailed);
    EXPECT_NE(broken.errors.find("is not a ZIP archive the installer can open"),
              std::string::npos);
  }
}

}  // namespace
