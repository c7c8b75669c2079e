#include "register/settings_lookup.h"

#include "platform/event_pacer.h"
#include "register/encrypted_file.h"
#include "register/path_names.h"
#include "register/settings_lookup_platform.h"

const char kPackagePassword[] = "507132640?";

const PackageSetting kProgramSetting = {"\\zhi\\pz\\pro.dll", "pro", "pfexe", ""};
const PackageSetting kSoftwareNameSetting = {"\\zhi\\pz\\cl.dll", "配置", "软件名", "hq"};

namespace {

bool isSectionEnd(const std::string& line) {
  return !line.empty() && line.front() == '[' && line.back() == ']';
}

// Steps through the lines of an open settings file; the value, or nothing.
bool findEntry(EncryptedFile& file, const std::string& section, const std::string& key,
               std::string& value) {
  if (!file.seekToStart()) return false;
  const std::string header = "[" + section + "]";
  // The window stays responsive while a long file is read.
  EventPacer events(letPendingEventsRun);
  bool inSection = false;
  while (!inSection && !file.atEnd(true)) {
    inSection = file.readLine() == header;
    events.afterStep();
  }
  if (!inSection) return false;
  const std::string prefix = key + "=";
  while (!file.atEnd(true)) {
    std::string line = file.readLine();
    if (isSectionEnd(line)) return false;
    if (line.compare(0, prefix.size(), prefix) == 0) {
      value = line.substr(prefix.size());
      return true;
    }
    events.afterStep();
  }
  return false;
}

}  // namespace

std::string lookupSettingWithPassword(const std::string& password, const std::string& path,
                                      const std::string& section, const std::string& key,
                                      const std::string& defaultValue) {
  EncryptedFile file =
      EncryptedFile::open(path, OpenMode::readWriteExisting, Sharing::readWrite, password, 0);
  if (!file.isOpen()) return defaultValue;
  std::string value;
  if (!findEntry(file, section, key, value)) return defaultValue;
  return value;
}

std::string lookupSetting(const std::string& path, bool pathGiven, const std::string& section,
                          const std::string& key, const std::string& defaultValue) {
  const std::string file = pathGiven ? path : runDirectory() + "\\zhi\\ecrt.dll";
  return lookupSettingWithPassword(kPackagePassword, file, section, key, defaultValue);
}

std::string lookupPackageSetting(const std::string& installDir, const PackageSetting& setting) {
  return lookupSetting(installDir + setting.file, true, setting.section, setting.key,
                       setting.defaultValue);
}

std::string runDirectory() {
  std::string program = ownProgramFile();
  std::string folder = program.substr(0, program.size() - fileNameOfPath(program, true).size());
  // What is left ends with the separator before the name (or is a bare drive).
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}
