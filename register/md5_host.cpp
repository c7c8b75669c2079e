#include <nettle/md5.h>

#include "register/md5.h"

std::optional<Md5Digest> md5Of(const std::string& bytes) {
  md5_ctx context;
  md5_init(&context);
  md5_update(&context, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  Md5Digest digest;
  md5_digest(&context, digest.size(), digest.data());
  return digest;
}
