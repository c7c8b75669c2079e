// stamp FILE       prints the package identifier stamped in FILE
// stamp FILE ID    stamps ID into FILE in place
// A publisher's tool: it refuses, leaving FILE unchanged, a file without exactly one field and
// an identifier the program could not read back.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "download/package_stamp.h"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "stamp: %s\n", message.c_str());
  return 1;
}

bool readWhole(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: stamp FILE [IDENTIFIER]\n");
    return 2;
  }
  const std::string path = argv[1];
  std::string bytes;
  if (!readWhole(path, bytes)) return fail("cannot read " + path);
  const std::vector<size_t> fields = findStampFields(bytes);
  if (fields.empty()) return fail(path + " holds no package stamp field");
  if (fields.size() > 1)
    return fail(path + " holds " + std::to_string(fields.size()) +
                " package stamp fields; which one the program reads is not certain");
  const std::string field = bytes.substr(fields[0], kPackageStampLength);

  if (argc == 2) {
    std::printf("%s\n", textBetween(field, kStampBeginMarker, kStampEndMarker).c_str());
    return 0;
  }

  const std::string identifier = argv[2];
  if (identifier.size() > kLongestIdentifier)
    return fail("the identifier is " + std::to_string(identifier.size()) +
                " bytes long; the field has room for " + std::to_string(kLongestIdentifier));
  const std::string newField = stampFieldFor(identifier);
  if (newField.empty())
    return fail("the identifier holds a stamp marker or ends in a way the program would not "
                "read back");
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!file) return fail("cannot open " + path + " for writing");
  file.seekp(static_cast<std::streamoff>(fields[0]));
  file.write(newField.data(), static_cast<std::streamsize>(newField.size()));
  file.flush();
  if (!file) return fail("could not write " + path);
  return 0;
}
