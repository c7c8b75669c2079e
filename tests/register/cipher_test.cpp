// The cipher's pieces against published vectors (RC4: RFC 6229, MD5: RFC 1321) and the whole
// key stream against bytes computed by an independent implementation of the format.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "register/encrypted_file.h"
#include "register/key_stream.h"
#include "register/md5.h"
#include "register/rc4.h"
#include "tests/register/scratch_folder.h"

namespace {

struct Rc4Vector {
  const char* key;
  size_t offset;
  const char* output;  // 16 bytes from offset
};

// RFC 6229, section 2: the 40-bit and 256-bit keys, across the 4096-byte mark.
const Rc4Vector kRc4Vectors[] = {
    {"0102030405", 0x0000, "b2396305f03dc027ccc3524a0a1118a8"},
    {"0102030405", 0x00f0, "28cb1132c96ce286421dcaadb8b69eae"},
    {"0102030405", 0x05f0, "3294f744d8f9790507e70f62e5bbceea"},
    {"0102030405", 0x0ff0, "068326a2118416d21f9d04b2cd1ca050"},
    {"0102030405", 0x1000, "ff25b58995996707e51fbdf08b34d875"},
    {"0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20", 0x0000,
     "eaa6bd25880bf93d3f5d1e4ca2611d91"},
    {"0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20", 0x0bf0,
     "8aed95ee5b0dcbfbef4eb21d3a3f52f9"},
    {"0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20", 0x1000,
     "f3e4c0a2e02d1d01f7f0a74618af2b48"},
};

TEST(Rc4, MatchesThePublishedVectors) {
  for (const Rc4Vector& vector : kRc4Vectors) {
    std::string key = bytesOfHex(vector.key);
    Rc4 cipher(reinterpret_cast<const uint8_t*>(key.data()), key.size());
    cipher.drop(vector.offset);
    std::string output(16, '\0');
    cipher.generate(reinterpret_cast<uint8_t*>(output.data()), output.size());
    EXPECT_EQ(output, bytesOfHex(vector.output)) << vector.key << " at " << vector.offset;
  }
}

TEST(Md5, MatchesThePublishedVectors) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
  };
  for (const auto& [message, digest] : vectors) {
    std::optional<Md5Digest> computed = md5Of(message);
    ASSERT_TRUE(computed.has_value());
    EXPECT_EQ(std::string(computed->begin(), computed->end()), bytesOfHex(digest)) << message;
  }
}

TEST(KeyStream, KeyTextIsTheDigestLastByteFirstInLowerCaseHex) {
  std::optional<KeyStream> stream = KeyStream::forPassword("abc");
  ASSERT_TRUE(stream.has_value());
  EXPECT_EQ(stream->keyText(), "727fe1287d3f96d6b04fd23c98500190");
  EXPECT_FALSE(KeyStream::forPassword("").has_value());
}

// Zeros enciphered under the package password and a GBK password by the independent
// implementation of the format in tests/e2e/test_settings_tool.py: the stored bytes are the
// key stream itself.
TEST(KeyStream, MatchesTheIndependentImplementation) {
  const std::string packagePassword = "507132640?";
  const std::string gbkPassword = "\xBF\xDA\xC1\xEE";  // 口令
  const struct {
    std::string password;
    uint64_t offset;
    const char* bytes;
  } known[] = {
      {packagePassword, 0, "74a1d745dcb9d7c5"},
      {packagePassword, 4092, "237111244b15cc1f"},
      {packagePassword, 8190, "f23f7eafdd67"},
      {packagePassword, 12288, "61756574"},
      {gbkPassword, 0, "1b5769ea"},
      {gbkPassword, 4094, "b9041b7e"},
  };
  for (const auto& row : known) {
    std::optional<KeyStream> stream = KeyStream::forPassword(row.password);
    ASSERT_TRUE(stream.has_value());
    std::string expected = bytesOfHex(row.bytes);
    std::string bytes(expected.size(), '\0');
    stream->apply(row.offset, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(bytes, expected) << "offset " << row.offset;
  }
}

TEST(KeyStream, AnyOrderOfPiecesGivesTheSameBytes) {
  constexpr size_t kLength = 6 * kCipherBlockSize + 123;
  std::optional<KeyStream> whole = KeyStream::forPassword("507132640?");
  ASSERT_TRUE(whole.has_value());
  std::vector<uint8_t> expected(kLength, 0);
  whole->apply(0, expected.data(), expected.size());

  // Pieces of every size in a shuffled order, on a stream that keeps its cursor and cache
  // from piece to piece: forward, backward and across block borders.
  std::mt19937 random(7);
  std::vector<std::pair<size_t, size_t>> pieces;
  for (size_t at = 0; at < kLength;) {
    size_t length = std::min<size_t>(kLength - at, 1 + random() % 5000);
    pieces.emplace_back(at, length);
    at += length;
  }
  std::shuffle(pieces.begin(), pieces.end(), random);
  std::optional<KeyStream> stream = KeyStream::forPassword("507132640?");
  std::vector<uint8_t> assembled(kLength, 0);
  for (const auto& [at, length] : pieces) stream->apply(at, assembled.data() + at, length);
  EXPECT_EQ(assembled, expected);
}

}  // namespace
