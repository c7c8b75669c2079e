// The registration with the real shell under Wine: shortcuts written and read back through the
// shell link interface, the program group in the prefix's own Programs folder, the uninstall
// record on disk, and the installed program started as a process of its own.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <random>
#include <string>

#include "install/install_dir.h"
#include "platform/text.h"
#include "platform/scoped_handles_win.h"
#include "register/encrypted_file.h"
#include "register/registration_win.h"
#include "register/settings_lookup.h"
#include "tests/register/scratch_folder.h"
#include "tests/win/process_helpers_win.h"
#include "tests/win/worker_helpers_win.h"

namespace {

struct LinkSeen {
  bool found = false;
  std::string target;
};

LinkSeen readLink(const std::string& file) {
  LinkSeen seen;
  IShellLinkA* created = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&created))))
    return seen;
  ScopedComInterface<IShellLinkA> link(created);
  IPersistFile* persist = nullptr;
  if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))))
    return seen;
  ScopedComInterface<IPersistFile> stored(persist);
  wchar_t name[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, name, MAX_PATH);
  if (FAILED(stored.get()->Load(name, STGM_READ))) return seen;
  char target[MAX_PATH] = {};
  link.get()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
  seen.found = true;
  seen.target = target;
  return seen;
}

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// File helpers on the A functions: the names are GBK, which only they take as they are.
void writeFile(const std::string& name, const std::string& bytes) {
  ScopedFileHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  ASSERT_TRUE(file.valid() && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                        &written, nullptr));
}

void removeTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(FindFirstFileA((path + "\\*").c_str(), &found));
  for (bool more = search.valid(); more; more = FindNextFileA(search.get(), &found)) {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      removeTree(path + "\\" + name);
    else
      DeleteFileA((path + "\\" + name).c_str());
  }
  search.reset();
  RemoveDirectoryA(path.c_str());
}

// The show command stored in a shortcut file's header. The shell link interface reads every
// value but 3 and 7 back as 1, so only the file tells what was written.
uint32_t storedShowCommand(const std::string& linkFile) {
  const std::string bytes = readRawFile(linkFile);
  if (bytes.size() < 0x40) return 0;
  uint32_t value = 0;
  memcpy(&value, bytes.data() + 0x3C, sizeof(value));
  return value;
}

void writeSettings(const std::string& name, const std::string& plain) {
  EncryptedFile file = EncryptedFile::open(name, OpenMode::writeCreateOrEmpty, Sharing::readWrite,
                                           kPackagePassword);
  ASSERT_TRUE(file.isOpen());
  ASSERT_TRUE(file.write(plain));
}

std::string uniqueName(const std::string& base) {
  std::random_device source;
  return base + std::to_string(source() % 1000000);
}

// The desktop shortcut and the program group of a software name, removed before and after a
// test, so that a run never meets what an earlier one left.
class ShellObjects {
 public:
  explicit ShellObjects(const std::string& name)
      : desktop_(specialFolderPath(CSIDL_DESKTOPDIRECTORY)),
        programs_(specialFolderPath(CSIDL_PROGRAMS)),
        name_(name) {
    remove();
  }
  ~ShellObjects() { remove(); }
  ShellObjects(const ShellObjects&) = delete;
  ShellObjects& operator=(const ShellObjects&) = delete;

  const std::string& desktop() const { return desktop_; }
  // The group folder as the record names it, and as the file system holds it.
  std::string group() const { return programs_ + name_; }
  std::string createdGroup() const {
    std::string folder = group();
    while (folder.back() == ' ') folder.pop_back();
    return folder;
  }

 private:
  void remove() {
    DeleteFileA((trimSpaces(desktop_ + name_) + ".lnk").c_str());
    removeTree(createdGroup());
  }
  std::string desktop_, programs_, name_;
};

// An extracted package in a folder of its own; dir() is the installation directory text.
class Package {
 public:
  explicit Package(bool trailingBackslash = true)
      : dir_(folder_.path() + (trailingBackslash ? "\\" : "")) {
    CreateDirectoryA(at("zhi").c_str(), nullptr);
    CreateDirectoryA(at("zhi\\pz").c_str(), nullptr);
  }

  const std::string& dir() const { return dir_; }
  std::string root() const { return folder_.path(); }
  std::string at(const std::string& name) const { return folder_.path() + "\\" + name; }

  void settings(const std::string& pro, const std::string& cl = std::string()) {
    writeSettings(at("zhi\\pz\\pro.dll"), pro);
    if (!cl.empty()) writeSettings(at("zhi\\pz\\cl.dll"), cl);
  }
  void file(const std::string& name) { writeFile(at(name), "MZ"); }

 private:
  ScratchFolder folder_;
  std::string dir_;
};

HandOver prepareOnWorker(const std::string& dir) {
  std::optional<HandOver> handOver;
  onWorker([&] { handOver = prepareHandOver(dir); });
  EXPECT_TRUE(handOver.has_value());
  return handOver.value_or(HandOver{});
}

TEST(Registration, ShortcutGroupItemsAndRecordOfAWholePackage) {
  // Trailing spaces: trimmed from the shortcut only.
  const std::string name = uniqueName("Mervantis测试") + "  ";
  ShellObjects shell(name);
  Package package;
  package.settings("[pro]\r\npfexe=bin\\示例.exe\r\n", "[配置]\r\n软件名=" + name + "\r\n");
  package.file("示例.exe");
  package.file("uninst.exe");

  const HandOver handOver = prepareOnWorker(package.dir());
  EXPECT_EQ(handOver.programPath, package.dir() + "示例.exe");  // the last component only
  EXPECT_EQ(handOver.shortcutPath, shell.desktop() + trimSpaces(name));
  registerWithShell(package.dir(), handOver.programPath, handOver.shortcutPath);

  const LinkSeen shortcut = readLink(handOver.shortcutPath + ".lnk");
  ASSERT_TRUE(shortcut.found);
  EXPECT_EQ(shortcut.target, handOver.programPath);
  EXPECT_EQ(storedShowCommand(handOver.shortcutPath + ".lnk"), static_cast<uint32_t>(SW_SHOW));
  // The system drops the group's trailing spaces; the items are in the folder it made.
  const LinkSeen programItem = readLink(shell.createdGroup() + "\\" + name + ".lnk");
  ASSERT_TRUE(programItem.found);
  EXPECT_EQ(programItem.target, handOver.programPath);
  EXPECT_EQ(storedShowCommand(shell.createdGroup() + "\\" + name + ".lnk"),
            static_cast<uint32_t>(SW_SHOWNORMAL));  // the target path only
  const LinkSeen uninstallItem = readLink(shell.createdGroup() + "\\卸载.lnk");
  ASSERT_TRUE(uninstallItem.found);
  EXPECT_EQ(uninstallItem.target, package.at("uninst.exe"));

  EXPECT_EQ(readRawFile(package.at("uninst.dat")),
            package.root() + "\r\n" +
                handOver.shortcutPath + ".lnk\r\n" + shell.group() + "\r\n");
}

TEST(Registration, MissingPiecesLeaveOutTheirOwnObjectsOnly) {
  // No software name (so "hq"), no program file, no uninstaller, a typed directory without
  // its backslash, and a record that cannot be written.
  ShellObjects shell("hq");
  Package package(false);
  package.settings("[pro]\r\npfexe=app.exe\r\n");
  CreateDirectoryA(package.at("uninst.dat").c_str(), nullptr);

  const HandOver handOver = prepareOnWorker(package.dir());
  EXPECT_EQ(handOver.programPath, package.dir() + "\\app.exe");
  EXPECT_EQ(handOver.shortcutPath, shell.desktop() + "hq");
  registerWithShell(package.dir(), handOver.programPath, handOver.shortcutPath);

  EXPECT_EQ(readLink(shell.desktop() + "hq.lnk").target, handOver.programPath);
  EXPECT_TRUE(exists(shell.group()));
  EXPECT_FALSE(exists(shell.group() + "\\hq.lnk"));
  EXPECT_FALSE(exists(shell.group() + "\\卸载.lnk"));

  // With the record writable again, its first line is the typed text unchanged.
  RemoveDirectoryA(package.at("uninst.dat").c_str());
  registerWithShell(package.dir(), handOver.programPath, handOver.shortcutPath);
  EXPECT_EQ(readRawFile(package.at("uninst.dat")),
            package.dir() + "\r\n" + shell.desktop() + "hq.lnk\r\n" + shell.group() + "\r\n");
}

TEST(Registration, ASecondInstallationReplacesLinksAndRecordAndKeepsTheGroup) {
  const std::string name = uniqueName("Mervantis再装");
  ShellObjects shell(name);
  Package package;
  package.settings("[pro]\r\npfexe=first.exe\r\n", "[配置]\r\n软件名=" + name + "\r\n");
  package.file("first.exe");
  package.file("second.exe");
  package.file("uninst.exe");
  const HandOver first = prepareOnWorker(package.dir());
  registerWithShell(package.dir(), first.programPath, first.shortcutPath);
  writeFile(shell.group() + "\\readme.txt", "kept");
  writeFile(package.at("uninst.dat"), std::string(4000, 'x'));

  package.settings("[pro]\r\npfexe=second.exe\r\n");
  const HandOver second = prepareOnWorker(package.dir());
  registerWithShell(package.dir(), second.programPath, second.shortcutPath);

  EXPECT_EQ(readLink(second.shortcutPath + ".lnk").target, package.dir() + "second.exe");
  EXPECT_EQ(readLink(shell.group() + "\\" + name + ".lnk").target, package.dir() + "second.exe");
  EXPECT_EQ(readRawFile(shell.group() + "\\readme.txt"), "kept");
  EXPECT_EQ(readRawFile(package.at("uninst.dat")),
            package.root() + "\r\n" + second.shortcutPath +
                ".lnk\r\n" + shell.group() + "\r\n");
}

TEST(Registration, NoProgramSettingMeansNoHandOver) {
  const std::pair<const char*, std::string> cases[] = {
      {"no settings file", ""},
      {"another section", "[program]\r\npfexe=app.exe\r\n"},
      {"an empty value", "[pro]\r\npfexe=\r\n"},
  };
  for (const auto& [what, content] : cases) {
    Package package;
    if (!content.empty()) package.settings(content);
    std::optional<HandOver> handOver = HandOver{};
    onWorker([&] { handOver = prepareHandOver(package.dir()); });
    EXPECT_FALSE(handOver.has_value()) << what;
  }
}

std::string sampleProgram() { return testProgramFolder() + "..\\sample\\sample_program.exe"; }

TEST(Registration, TheInstalledProgramStartsInTheInstallersCurrentDirectory) {
  ScratchFolder folder;
  CreateDirectoryA(folder.path("a b").c_str(), nullptr);
  CreateDirectoryA(folder.path("current").c_str(), nullptr);
  const std::string program = folder.path() + "\\a b\\setup.exe";
  ASSERT_TRUE(CopyFileA(sampleProgram().c_str(), program.c_str(), FALSE));
  // What an unquoted command line would start first.
  ASSERT_TRUE(CopyFileA(sampleProgram().c_str(), (folder.path() + "\\a.exe").c_str(), FALSE));
  SetEnvironmentVariableA("MERVANTIS_SAMPLE_CLOSE_MS", "100");

  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  SetCurrentDirectoryA((folder.path() + "\\current").c_str());
  const bool started = startInstalledProgram(program);
  SetCurrentDirectoryA(before);
  ASSERT_TRUE(started);

  const std::string note = folder.path() + "\\a b\\started.txt";
  for (int i = 0; i < 200 && !exists(note); ++i) Sleep(50);
  Sleep(200);
  const std::string seen = readRawFile(note);
  EXPECT_NE(seen.find("current directory=" + folder.path() + "\\current\r\n"), std::string::npos)
      << seen;
  EXPECT_NE(seen.find("command line=\"" + program + "\"\r\n"), std::string::npos) << seen;
  EXPECT_FALSE(exists(folder.path() + "\\started.txt"));

  EXPECT_FALSE(startInstalledProgram(folder.path() + "\\missing.exe"));
  EXPECT_FALSE(startInstalledProgram(folder.path() + "\\a.exe\" --more"));
  EXPECT_FALSE(startInstalledProgram(""));
  SetEnvironmentVariableA("MERVANTIS_SAMPLE_CLOSE_MS", nullptr);
  Sleep(500);  // the started programs close themselves before the folder goes
}

}  // namespace
