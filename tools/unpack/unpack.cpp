// unpack PACKAGE.zip DIR: extracts a package exactly as the installer does, so a publisher can
// see what the installer will make of it. Prints each percent as the installer would show it,
// one a line, and says what stopped a failed extraction. Exit code 0 only when the extraction
// reached 100 percent (the point where the installer goes on to register the program); 1 when
// it failed or the package holds no entries; 2 for a wrong command line.
#include <cstdio>
#include <string>

#include "install/zip_extractor.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: unpack PACKAGE.zip DIR\n");
    return 2;
  }
  int32_t lastPercent = -1;
  std::unique_ptr<FileLayer> files = makeSystemFileLayer();
  ZipExtractor extractor(*files, [&lastPercent](int32_t percent) {
    std::printf("%d%%\n", percent);
    std::fflush(stdout);
    lastPercent = percent;
  });
  int32_t result = extractor.extractArchive(argv[1], argv[2]);
  if (result == kExtractionDone && lastPercent == 100) return 0;
  if (result == kExtractionDone) {
    std::fprintf(stderr, "unpack: the package holds no entries; the installer stops at 0%%\n");
    return 1;
  }
  std::fprintf(stderr, "unpack: %s", describe(extractor.fault()));
  if (extractor.fault() == ExtractionFault::NameRefused)
    std::fprintf(stderr, " (%s)", describe(extractor.refusal()));
  if (!extractor.faultEntry().empty())
    std::fprintf(stderr, ": %s", extractor.faultEntry().c_str());
  std::fprintf(stderr, "\n");
  return 1;
}
