// A new empty folder under the system's temporary folder for one test, removed with all it
// holds when the test ends; and raw file access that bypasses the code under test.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device source;
    folder_ = std::filesystem::temp_directory_path() /
              ("mervantis-register-" + std::to_string(source()) + std::to_string(source()));
    std::filesystem::create_directories(folder_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder itself, with no separator at its end.
  std::string path() const { return folder_.string(); }
  // A name inside the folder.
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

 private:
  std::filesystem::path folder_;
};

inline void writeRawFile(const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(name).parent_path());
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readRawFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes from a text of hex digit pairs.
inline std::string bytesOfHex(const std::string& hex) {
  std::string bytes;
  for (size_t at = 0; at + 1 < hex.size(); at += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16));
  return bytes;
}
