// Times a lookup of the key on the last line of an enciphered settings file of 1 MB and of
// 4 MB, in one run, and prints both times and their ratio. Reading must cost time in
// proportion to the file's size: the goal is a ratio of at most 4.5.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "register/encrypted_file.h"
#include "register/settings_lookup.h"

namespace {

constexpr double kGoal = 4.5;

// A settings file of about `size` bytes whose last line holds the key looked for.
bool writeSettingsFile(const std::string& name, size_t size) {
  std::string plain = "[pro]\r\n";
  for (int line = 0; plain.size() < size; ++line)
    plain += "key" + std::to_string(line) + "=C:\\Program Files\\\xB3\xCC\xD0\xF2\\part" +
             std::to_string(line % 1000) + ".dll\r\n";
  plain += "pfexe=last.exe\r\n";
  EncryptedFile file = EncryptedFile::open(name, OpenMode::writeCreateOrEmpty,
                                           Sharing::readWrite, kPackagePassword);
  return file.isOpen() && file.write(plain);
}

// One lookup, in seconds; negative when it gives the wrong value.
double timeLookup(const std::string& name) {
  auto start = std::chrono::steady_clock::now();
  std::string value = lookupSetting(name, true, "pro", "pfexe");
  std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  return value == "last.exe" ? spent.count() : -1;
}

}  // namespace

int main() {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "mervantis-settings-bench";
  std::filesystem::create_directories(folder);
  const std::string small = (folder / "small.dll").string();
  const std::string large = (folder / "large.dll").string();
  if (!writeSettingsFile(small, 1 << 20) || !writeSettingsFile(large, 4 << 20)) {
    std::fprintf(stderr, "cannot write the settings files under %s\n", folder.string().c_str());
    return 1;
  }
  // The best of a few rounds, the two sizes taking turns, so that both meet the same load of
  // a shared machine.
  double smallTime = 1e9;
  double largeTime = 1e9;
  for (int round = 0; round < 7; ++round) {
    double smallRound = timeLookup(small);
    double largeRound = timeLookup(large);
    if (smallRound < 0 || largeRound < 0) {
      std::fprintf(stderr, "the lookup did not find the last line's value\n");
      return 1;
    }
    smallTime = std::min(smallTime, smallRound);
    largeTime = std::min(largeTime, largeRound);
  }
  std::filesystem::remove_all(folder);
  double ratio = largeTime / smallTime;
  std::printf("last-line lookup: 1 MB %.1f ms, 4 MB %.1f ms, ratio %.2f (goal at most %.1f)\n",
              smallTime * 1e3, largeTime * 1e3, ratio, kGoal);
  return ratio <= kGoal ? 0 : 1;
}
