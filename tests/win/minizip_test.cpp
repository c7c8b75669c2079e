// The minizip built from the zlib source package: an archive written with its zip half reads
// back through its unzip half, CRC checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/win/process_helpers_win.h"
#include "unzip.h"
#include "zip.h"

TEST(Minizip, DeflatedEntryReadsBackWithItsCrc) {
  std::string path = freshTempFile("zip");
  std::string content(100000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 7) % 251);

  zipFile writer = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(writer, nullptr);
  ASSERT_EQ(zipOpenNewFileInZip(writer, "folder/data.bin", nullptr, nullptr, 0, nullptr, 0,
                                nullptr, Z_DEFLATED, Z_BEST_COMPRESSION), ZIP_OK);
  ASSERT_EQ(zipWriteInFileInZip(writer, content.data(), static_cast<unsigned>(content.size())),
            ZIP_OK);
  ASSERT_EQ(zipCloseFileInZip(writer), ZIP_OK);
  ASSERT_EQ(zipClose(writer, nullptr), ZIP_OK);

  unzFile reader = unzOpen(path.c_str());
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(unzLocateFile(reader, "folder/data.bin", 1), UNZ_OK);
  unz_file_info info = {};
  ASSERT_EQ(unzGetCurrentFileInfo(reader, &info, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
  EXPECT_EQ(info.uncompressed_size, content.size());
  EXPECT_LT(info.compressed_size, content.size());
  ASSERT_EQ(unzOpenCurrentFile(reader), UNZ_OK);
  std::string back(content.size(), '\0');
  EXPECT_EQ(unzReadCurrentFile(reader, back.data(), static_cast<unsigned>(back.size())),
            static_cast<int>(back.size()));
  EXPECT_EQ(unzCloseCurrentFile(reader), UNZ_OK);  // UNZ_CRCERROR on a mismatch
  unzClose(reader);
  EXPECT_EQ(back, content);
  DeleteFileA(path.c_str());
}
