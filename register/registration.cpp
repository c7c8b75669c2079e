#include "register/registration.h"

#include "install/zip_entry.h"
#include "platform/text.h"
#include "register/path_names.h"

const char kUninstallerFile[] = "\\uninst.exe";
const char kUninstallRecordFile[] = "\\uninst.dat";

std::string programPathFor(const std::string& installDir, const std::string& programSetting) {
  if (programSetting.empty()) return std::string();
  const std::string fileName = fileNameOfPath(programSetting, true);
  // A typed directory may lack its backslash; the extraction puts the files below it all the
  // same, so the program is there too.
  return withTrailingBackslash(installDir) + fileName;
}

std::string shortcutPathFor(const std::string& desktopFolder, const std::string& softwareName) {
  return trimSpaces(desktopFolder + softwareName);
}

ProgramGroup programGroupFor(const std::string& programsFolder, const std::string& softwareName) {
  ProgramGroup group;
  group.folder = programsFolder + softwareName;
  // Spaces and dots are below every trail byte, so the bytes at the end are whole characters.
  std::string created = group.folder;
  while (created.size() > programsFolder.size() &&
         (created.back() == ' ' || created.back() == '.'))
    created.pop_back();
  group.programItem = created + "\\" + softwareName + ".lnk";
  group.uninstallItem = created + "\\卸载.lnk";
  return group;
}

UninstallRecord uninstallRecordFor(const std::string& installDir,
                                   const std::string& shortcutPath,
                                   const std::string& groupFolder) {
  std::string folder = installDir;
  // withTrailingBackslash leaves a text alone exactly when its last character is a backslash.
  if (!folder.empty() && withTrailingBackslash(folder) == folder) folder.pop_back();
  return UninstallRecord{{folder, shortcutPath + ".lnk", groupFolder}};
}
