#include "tools/pack/pack_tool.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "install/zip_entry.h"
#include "platform/text.h"
#include "register/encrypted_file.h"
#include "register/key_stream.h"
#include "register/path_names.h"
#include "register/platform_file.h"
#include "register/registration.h"
#include "register/settings_lookup.h"
#include "tools/pack/folder_tree.h"
#include "tools/pack/zip_reader.h"
#include "tools/pack/zip_writer.h"
#include "tools/settings/output_file.h"
#include "tools/settings/terminal_text.h"
#include "tools/settings/tool_messages.h"

namespace {

const char kUsage[] =
    "usage: pack FOLDER OUT.zip --program NAME [--name SOFTWARE]\n"
    "       pack --check PACKAGE.zip\n"
    "\n"
    "pack     writes the package OUT.zip from FOLDER (left unchanged), with the settings the\n"
    "         installer reads: the program NAME (a file at the top of FOLDER) is started after\n"
    "         the installation, and SOFTWARE names the desktop shortcut and the program group\n"
    "         (without --name: FOLDER's own zhi/pz/cl.dll, or \"hq\"). FOLDER must hold\n"
    "         uninst.exe at its top too. OUT.zip is replaced only once it is complete.\n"
    "--check  tells what an installation of PACKAGE.zip would do and what it lacks; exit code\n"
    "         0 when nothing is missing, 1 otherwise.\n";

// Where the installer's settings files lie in a package.
const char kProgramSettingsEntry[] = "zhi/pz/pro.dll";
const char kNameSettingsEntry[] = "zhi/pz/cl.dll";
const char kUninstallerEntry[] = "uninst.exe";
// The longest default installation directory: the 32-bit installer's on 64-bit Windows.
const char kLongestDefaultDirectory[] = "C:\\Program Files (x86)\\Mervantis\\";
// The settings files are small; a larger entry of that name is read no further.
constexpr uint64_t kLongestSettingsFile = 1 << 20;

// An entry name as Windows compares file names: either separator, ASCII letters in any case.
std::string comparable(const std::string& name) {
  std::string folded;
  for (size_t at = 0; at < name.size(); ++at) {
    if (isLeadByte(static_cast<unsigned char>(name[at])) && at + 1 < name.size()) {
      folded.append(name, at++, 2);
      continue;
    }
    char c = name[at];
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    folded += c;
  }
  return folded;
}

// Why the extraction would refuse an entry of this name, in a few words; nothing when it takes
// it.
std::optional<std::string> nameProblem(const std::string& name) {
  const NameRefusal refusal = checkEntryName(name);
  if (refusal != NameRefusal::None) return describe(refusal);
  if (destinationPath(kLongestDefaultDirectory, name).size() > kLongestPath)
    return std::string(describe(NameRefusal::DestinationTooLong)) + " in the default directory " +
           kLongestDefaultDirectory;
  return std::nullopt;
}

// The same for the name of one file or folder at the top of the package.
std::optional<std::string> topNameProblem(const std::string& name) {
  if (comparable(name).find('/') != std::string::npos) return "the name holds a separator";
  return nameProblem(name);
}

// The settings file text of one setting, as the installer's lookup reads it.
std::string settingsText(const PackageSetting& setting, const std::string& value) {
  return std::string("[") + setting.section + "]\r\n" + setting.key + "=" + value + "\r\n";
}

// What an installation of a package would find in it.
struct PackageView {
  std::string programSetting;          // the pfexe value; empty when there is none
  std::string softwareName = "hq";     // as the installer reads it
  bool softwareNameGiven = false;      // false: the package has no zhi/pz/cl.dll
  std::set<std::string> topFiles;      // comparable names of the files at the top
  std::vector<std::string> stoppers;   // entries that would stop or spoil the extraction
};

// A GBK text for the terminal: converted, or with every byte it cannot show as \xNN.
std::string shown(const std::string& text) {
  if (std::optional<std::string> converted = terminalFromGbk(text)) return *converted;
  std::string escaped;
  for (unsigned char byte : text) {
    if (byte < 0x80) {
      escaped += static_cast<char>(byte);
    } else {
      static const char kHex[] = "0123456789abcdef";
      escaped += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
    }
  }
  return escaped;
}

class Tool : ToolMessages {
 public:
  Tool(std::ostream& out, std::ostream& errors)
      : ToolMessages("pack", kPackUsageError, out, errors) {}

  int run(const std::vector<std::string>& arguments);

 private:
  int pack(const std::string& folder, const std::string& outName, const std::string& program,
           const std::optional<std::string>& softwareName);
  int check(const std::string& packageName);
  // Prints what an installation would make; the count of missing pieces, each printed.
  int describe(const PackageView& view);
};

int Tool::run(const std::vector<std::string>& arguments) {
  std::vector<std::string> words;
  std::optional<std::string> program, softwareName;
  bool checking = false;
  bool optionsEnded = false;
  for (size_t at = 0; at < arguments.size(); ++at) {
    const std::string& word = arguments[at];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      words.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
    } else if (word == "--help" || word == "-h") {
      out_ << kUsage;
      return kPackSucceeded;
    } else if (word == "--check") {
      checking = true;
    } else if (word.rfind("--program", 0) == 0 || word.rfind("--name", 0) == 0) {
      const size_t equals = word.find('=');
      const std::string option = word.substr(0, equals);
      if (option != "--program" && option != "--name")
        return fail(kPackUsageError, "unknown option '" + word + "'");
      std::string value;
      if (equals != std::string::npos) {
        value = word.substr(equals + 1);
      } else if (at + 1 < arguments.size()) {
        value = arguments[++at];
      } else {
        return fail(kPackUsageError, "option " + option + " needs a value");
      }
      (option == "--program" ? program : softwareName) = value;
    } else {
      return fail(kPackUsageError, "unknown option '" + word + "'");
    }
  }
  if (checking) {
    if (program || softwareName)
      return fail(kPackUsageError, "--check takes no --program or --name");
    if (words.size() != 1) return fail(kPackUsageError, "--check takes one PACKAGE.zip");
    return check(words[0]);
  }
  if (words.size() != 2) return fail(kPackUsageError, "pack takes FOLDER and OUT.zip");
  if (!program) return fail(kPackUsageError, "--program NAME is needed: the program to start");
  std::optional<std::string> gbkProgram = toGbk(*program, "the program's name");
  if (!gbkProgram) return kPackUsageError;
  std::optional<std::string> gbkName;
  if (softwareName) {
    gbkName = toGbk(*softwareName, "the software name");
    if (!gbkName) return kPackUsageError;
  }
  return pack(words[0], words[1], *gbkProgram, gbkName);
}

int Tool::describe(const PackageView& view) {
  int missing = 0;
  auto lack = [&](const std::string& what) {
    out_ << "missing: " << what << "\n";
    ++missing;
  };
  if (view.programSetting.empty()) {
    lack(std::string("the program to start (pfexe in [pro] of ") + kProgramSettingsEntry +
         "): the installer would extract the package and register nothing");
  } else {
    // The installer's own texts, on placeholders for the folders it learns at installation.
    const std::string name = view.softwareName;
    const std::string program = programPathFor("<installation directory>", view.programSetting);
    const ProgramGroup group = programGroupFor("<programs>\\", name);
    out_ << "program to start: " << shown(program) << "\n"
         << "software name:    " << shown(name)
         << (view.softwareNameGiven ? "" : " (the default: the package has no zhi/pz/cl.dll)")
         << "\n"
         << "desktop shortcut: " << shown(shortcutPathFor("<desktop>\\", name)) << ".lnk\n"
         << "program group:    " << shown(group.folder) << ", with " << shown(group.programItem)
         << " and " << shown(group.uninstallItem) << "\n"
         << "uninstall record: <installation directory>" << kUninstallRecordFile << "\n";
    const std::string file = fileNameOfPath(view.programSetting, true);
    if (trimSpaces(name).empty())
      lack("a software name: it is empty, so the shortcut would be named \".lnk\" and the "
           "program group would be the programs folder itself");
    if (!view.topFiles.count(comparable(file)))
      lack("the program " + shown(file) +
           " at the top of the package: its shortcut would lead nowhere, there would be no "
           "program item, and the installer would end with exit code 1");
  }
  if (!view.topFiles.count(kUninstallerEntry))
    lack(std::string(kUninstallerEntry) + " at the top of the package: no uninstall item");
  for (const std::string& stopper : view.stoppers) lack(stopper);
  return missing;
}

// ---- pack ---------------------------------------------------------------------------------

// One entry of the package being written: a file or folder of FOLDER, or the tool's own.
struct PackEntry {
  std::string name;  // GBK
  bool isFolder = false;
  const TreeEntry* source = nullptr;  // null: `content` is the entry's data
  std::string content;
  int64_t modified = 0;
};

// Copies a file of FOLDER into the open entry.
bool copyInto(ZipWriter& archive, const TreeEntry& source) {
  std::ifstream in(source.path, std::ios::binary);
  if (!in) return false;
  char buffer[1 << 16];
  uint64_t copied = 0;
  while (in.read(buffer, sizeof(buffer)) || in.gcount() > 0) {
    const size_t count = static_cast<size_t>(in.gcount());
    if (!archive.write(buffer, count)) return false;
    copied += count;
  }
  return in.eof() && copied == source.size;
}

bool writeEntry(ZipWriter& archive, const PackEntry& entry) {
  if (entry.isFolder) return archive.addFolder(entry.name, entry.modified);
  const uint64_t size = entry.source ? entry.source->size : entry.content.size();
  if (!archive.startFile(entry.name, entry.modified, size)) return false;
  const bool copied = entry.source ? copyInto(archive, *entry.source)
                                   : archive.write(entry.content.data(), entry.content.size());
  return archive.finishFile() && copied;
}

std::optional<std::string> enciphered(std::string plain) {
  std::optional<KeyStream> keys = KeyStream::forPassword(kPackagePassword);
  if (!keys) return std::nullopt;
  keys->apply(0, reinterpret_cast<uint8_t*>(plain.data()), plain.size());
  return plain;
}

// Why the extraction would refuse these entries (each a sentence); empty when it takes them.
std::vector<std::string> refusals(const std::vector<PackEntry>& entries) {
  std::vector<std::string> refused;
  std::map<std::string, std::string> seen;  // comparable name -> name
  for (const PackEntry& entry : entries) {
    const std::string key = comparable(entry.name);
    if (!seen.emplace(key, entry.name).second)
      refused.push_back("'" + shown(entry.name) + "' differs from '" + shown(seen[key]) +
                        "' only in letter case: Windows would write one over the other");
    if (std::optional<std::string> problem = nameProblem(entry.name))
      refused.push_back("'" + shown(entry.name) + "': " + *problem);
  }
  return refused;
}

// Writes the package beside outName and renames it into place; false (nothing left) on a
// failure, with the entry that failed in `error` when there is one.
bool writePackage(const std::string& outName, const std::vector<PackEntry>& entries,
                  std::string& error) {
  const std::string temporary = temporaryNameBeside(outName);
  ZipWriter archive;
  bool written = archive.create(temporary);
  for (size_t at = 0; written && at < entries.size(); ++at) {
    written = writeEntry(archive, entries[at]);
    if (!written) error = ": cannot write the entry '" + shown(entries[at].name) + "'";
  }
  written = archive.close() && written;
  if (written && replaceFile(temporary, outName)) return true;
  removeFile(temporary);
  return false;
}

int Tool::pack(const std::string& folder, const std::string& outName, const std::string& program,
               const std::optional<std::string>& softwareName) {
  if (std::optional<std::string> problem = topNameProblem(program))
    return fail(kPackUsageError, "the program's name is refused, " + *problem +
                                     ": NAME is the name of a file at the top of FOLDER");
  if (softwareName) {
    if (trimSpaces(*softwareName) != *softwareName)
      return fail(kPackUsageError,
                  "the software name begins or ends with a space: the desktop shortcut would be "
                  "named without it and the program group with it");
    if (std::optional<std::string> problem = topNameProblem(*softwareName))
      return fail(kPackUsageError, "the software name is refused, " + *problem +
                                       ": it names a folder and shortcut files");
  }
  if (isInsideFolder(outName, folder))
    return fail(kPackUsageError, "OUT.zip must not lie inside FOLDER");

  std::vector<TreeEntry> tree;
  std::string error;
  if (!listFolderTree(folder, tree, error)) return fail(kPackFailed, error);

  PackageView view;
  view.programSetting = program;
  std::vector<PackEntry> entries;
  for (const TreeEntry& item : tree) {
    std::optional<std::string> name = gbkFromTerminal(item.name);
    if (!name) return fail(kPackFailed, "the name '" + item.name + "' cannot be written in GBK");
    const std::string key = comparable(*name);
    if (key == kProgramSettingsEntry || (softwareName && key == kNameSettingsEntry)) {
      out_ << "pack: FOLDER's " << item.name << " is replaced by the tool's own in the package\n";
      continue;
    }
    if (key == kNameSettingsEntry) {
      view.softwareName = lookupSetting(item.path, true, kSoftwareNameSetting.section,
                                        kSoftwareNameSetting.key,
                                        kSoftwareNameSetting.defaultValue);
      view.softwareNameGiven = true;
    }
    if (!item.isFolder && key.find('/') == std::string::npos) view.topFiles.insert(key);
    entries.push_back({*name, item.isFolder, &item, std::string(), item.modified});
  }
  if (!view.topFiles.count(comparable(program)))
    return fail(kPackFailed, "FOLDER has no file '" + shown(program) +
                                 "' at its top: the installer could not start the program");
  if (!view.topFiles.count(kUninstallerEntry))
    return fail(kPackFailed, std::string("FOLDER has no file '") + kUninstallerEntry +
                                 "' at its top: the installation would have no uninstall item");

  // The tool's settings files, and their folders when FOLDER has none.
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  std::set<std::string> present;
  for (const PackEntry& entry : entries) present.insert(comparable(entry.name));
  for (const char* level : {"zhi/", "zhi/pz/"})
    if (!present.count(level)) entries.push_back({level, true, nullptr, std::string(), now});
  std::optional<std::string> programFile = enciphered(settingsText(kProgramSetting, program));
  if (!programFile) return fail(kPackFailed, "the settings cannot be enciphered");
  entries.push_back({kProgramSettingsEntry, false, nullptr, *programFile, now});
  if (softwareName) {
    std::optional<std::string> nameFile =
        enciphered(settingsText(kSoftwareNameSetting, *softwareName));
    if (!nameFile) return fail(kPackFailed, "the settings cannot be enciphered");
    entries.push_back({kNameSettingsEntry, false, nullptr, *nameFile, now});
    view.softwareName = *softwareName;
    view.softwareNameGiven = true;
  }
  // Byte order puts every folder before what it holds, as the extraction needs.
  std::sort(entries.begin(), entries.end(),
            [](const PackEntry& a, const PackEntry& b) { return a.name < b.name; });

  const std::vector<std::string> refused = refusals(entries);
  for (const std::string& why : refused) errors_ << "pack: refused " << why << "\n";
  if (!refused.empty()) return fail(kPackFailed, "nothing written");
  if (!writePackage(outName, entries, error))
    return fail(kPackFailed, "cannot write '" + outName + "'" + error);
  size_t folders = std::count_if(entries.begin(), entries.end(),
                                 [](const PackEntry& entry) { return entry.isFolder; });
  out_ << "pack: wrote " << outName << ": " << entries.size() << " entries, " << folders
       << " folders and " << entries.size() - folders << " files\n";
  describe(view);
  return kPackSucceeded;
}

// ---- check --------------------------------------------------------------------------------

// A setting read from a package's entry the way the installer reads it from the extracted
// file; the default when the entry cannot be read.
std::string settingInEntry(ZipReader& archive, size_t index, const PackageSetting& setting) {
  std::optional<std::string> bytes = archive.read(index, kLongestSettingsFile);
  if (!bytes) return setting.defaultValue;
  const std::string file = newTemporaryFile();
  if (file.empty()) return setting.defaultValue;
  {
    EncryptedFile copy = EncryptedFile::open(file, OpenMode::writeCreateOrEmpty);
    copy.write(*bytes);
  }
  std::string value =
      lookupSetting(file, true, setting.section, setting.key, setting.defaultValue);
  removeFile(file);
  return value;
}

// The installer's archive test: a local file header first, whose name is not empty.
bool startsWithEntry(const std::string& packageName) {
  std::ifstream in(packageName, std::ios::binary);
  unsigned char head[32] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof(head))) return false;
  const bool signature = head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4;
  const int32_t atOffset24 = static_cast<int32_t>(
      static_cast<uint32_t>(head[24]) | static_cast<uint32_t>(head[25]) << 8 |
      static_cast<uint32_t>(head[26]) << 16 | static_cast<uint32_t>(head[27]) << 24);
  return signature && atOffset24 >= 1;
}

int Tool::check(const std::string& packageName) {
  ZipReader archive;
  if (!archive.open(packageName))
    return fail(kPackFailed, "'" + packageName + "' is not a ZIP archive the installer can open");
  const std::vector<ZipEntry>& entries = archive.entries();
  PackageView view;
  if (!startsWithEntry(packageName))
    view.stoppers.push_back("a first entry at the start of the file: the installer tests for "
                            "one there and would extract nothing");
  if (entries.empty())
    view.stoppers.push_back("entries: the archive holds none, the installer would extract nothing");
  std::set<std::string> folders;
  size_t folderCount = 0;
  for (size_t index = 0; index < entries.size(); ++index) {
    const ZipEntry& entry = entries[index];
    const std::string key = comparable(entry.name);
    const std::string name = "'" + shown(entry.name) + "'";
    // The extraction checks every entry before it writes anything.
    const char* const refused = ": the extraction would refuse the whole package";
    if (std::optional<std::string> problem = nameProblem(entry.name)) {
      view.stoppers.push_back("an acceptable name for " + name + " (" + *problem + ")" + refused);
      continue;
    }
    if (entry.method != 0 && entry.method != 8)
      view.stoppers.push_back("a stored or deflated " + name + refused);
    if (entry.encrypted) view.stoppers.push_back("an unencrypted " + name + refused);
    // The installation directory is a full path: each folder needs its entry first.
    for (size_t slash = key.find('/'); slash != std::string::npos && slash + 1 < key.size();
         slash = key.find('/', slash + 1))
      if (!folders.count(key.substr(0, slash + 1))) {
        view.stoppers.push_back("a folder entry '" + shown(entry.name.substr(0, slash + 1)) +
                                "' before " + name + ": the extraction would fail there");
        folders.insert(key.substr(0, slash + 1));  // said once
      }
    if (!key.empty() && key.back() == '/') {
      folders.insert(key);
      ++folderCount;
    } else if (key.find('/') == std::string::npos) {
      view.topFiles.insert(key);
    }
    if (key == kProgramSettingsEntry)
      view.programSetting = settingInEntry(archive, index, kProgramSetting);
    if (key == kNameSettingsEntry) {
      view.softwareName = settingInEntry(archive, index, kSoftwareNameSetting);
      view.softwareNameGiven = true;
    }
  }
  out_ << "package: " << packageName << ": " << entries.size() << " entries, " << folderCount
       << " folders and " << entries.size() - folderCount << " files\n";
  const int missing = describe(view);
  if (missing == 0) {
    out_ << "complete: an installation would register the program and start it\n";
    return kPackSucceeded;
  }
  out_ << missing << (missing == 1 ? " piece" : " pieces") << " missing\n";
  return kPackFailed;
}

}  // namespace

int runPackTool(const std::vector<std::string>& arguments, std::ostream& out,
                std::ostream& errors) {
  return Tool(out, errors).run(arguments);
}
