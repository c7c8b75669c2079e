#include "register/registration_win.h"

#include <windows.h>
#include <shlobj.h>

#include "install/install_dir.h"
#include "platform/runtime_win.h"
#include "platform/scoped_handles_win.h"
#include "platform/shell_link_win.h"
#include "register/encrypted_file.h"
#include "register/registration.h"
#include "register/settings_lookup.h"
#include "shell/globals.h"
#include "shell/main_window.h"

namespace {

bool isExistingFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An item of the program group, made only when its target is there to be started.
void addGroupItem(const std::string& item, const std::string& target, const std::string& group) {
  if (!isExistingFile(target)) return;
  if (saveShellLink(item, target)) notifyShellOfNewFile(item, group);
}

void writeUninstallRecord(const std::string& file, const UninstallRecord& record) {
  EncryptedFile out = EncryptedFile::open(file, OpenMode::writeCreateOrEmpty, Sharing::readWrite);
  if (!out.isOpen()) return;
  for (const std::string& line : record.lines) out.writeLine(line);
}

}  // namespace

std::optional<HandOver> prepareHandOver(const std::string& installDir) {
  const std::string program = lookupPackageSetting(installDir, kProgramSetting);
  if (program.empty()) return std::nullopt;
  const std::string name = lookupPackageSetting(installDir, kSoftwareNameSetting);
  return HandOver{programPathFor(installDir, program),
                  shortcutPathFor(specialFolderPath(CSIDL_DESKTOPDIRECTORY), name)};
}

void registerWithShell(const std::string& installDir, const std::string& programPath,
                       const std::string& shortcutPath) {
  saveShellLink(shortcutPath + ".lnk", programPath, SW_SHOW);

  const std::string name = lookupPackageSetting(installDir, kSoftwareNameSetting);
  const std::string programs = specialFolderPath(CSIDL_PROGRAMS);
  const ProgramGroup group = programGroupFor(programs, name);
  // One level only; an existing group stays as it is and takes the new items.
  if (CreateDirectoryA(group.folder.c_str(), nullptr))
    notifyShellOfNewFolder(group.folder, programs);
  addGroupItem(group.programItem, programPath, group.folder);
  addGroupItem(group.uninstallItem, installDir + kUninstallerFile, group.folder);

  writeUninstallRecord(installDir + kUninstallRecordFile,
                       uninstallRecordFor(installDir, shortcutPath, group.folder));
}

bool startInstalledProgram(const std::string& programPath) {
  // Quoted, so that "C:\Program Files\..." can never start a planted "C:\Program.exe"; a
  // quote inside cannot be part of a file name.
  if (programPath.empty() || programPath.find('"') != std::string::npos) return false;
  std::string commandLine = "\"" + programPath + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started))
    return false;
  ScopedKernelHandle process(started.hProcess);
  ScopedKernelHandle thread(started.hThread);
  WaitForInputIdle(process.get(), 1000);
  return true;
}

void completeInstallation() {
  const std::optional<HandOver> handOver = prepareHandOver(dirEdit().text());
  if (!handOver) return;
  shortcutPath = handOver->shortcutPath;
  programPath = handOver->programPath;
  relayLabel().fireFeedback(1, 0);
  mainWindow().setVisible(false);
  // With its window gone, an installer whose program did not start must not linger unseen.
  endProgram(startInstalledProgram(programPath) ? 0 : kExitProgramNotStarted);
}

int32_t registerInstallation(int32_t first, int32_t) {
  if (first == 1) registerWithShell(dirEdit().text(), programPath, shortcutPath);
  return 0;
}
