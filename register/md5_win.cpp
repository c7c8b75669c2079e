#include <windows.h>
#include <wincrypt.h>

#include <limits>

#include "register/md5.h"

namespace {

// A CryptoAPI provider context and a hash object: released in the order opposite to creation.
class ProviderContext {
 public:
  ProviderContext() {
    if (!CryptAcquireContextA(&handle_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
      handle_ = 0;
  }
  ~ProviderContext() {
    if (handle_ != 0) CryptReleaseContext(handle_, 0);
  }
  ProviderContext(const ProviderContext&) = delete;
  ProviderContext& operator=(const ProviderContext&) = delete;
  HCRYPTPROV get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

class HashObject {
 public:
  explicit HashObject(HCRYPTPROV provider) {
    if (provider == 0 || !CryptCreateHash(provider, CALG_MD5, 0, 0, &handle_)) handle_ = 0;
  }
  ~HashObject() {
    if (handle_ != 0) CryptDestroyHash(handle_);
  }
  HashObject(const HashObject&) = delete;
  HashObject& operator=(const HashObject&) = delete;
  HCRYPTHASH get() const { return handle_; }

 private:
  HCRYPTHASH handle_ = 0;
};

}  // namespace

std::optional<Md5Digest> md5Of(const std::string& bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) return std::nullopt;
  ProviderContext provider;
  HashObject hash(provider.get());
  if (hash.get() == 0) return std::nullopt;
  if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()), 0))
    return std::nullopt;
  Md5Digest digest;
  DWORD length = static_cast<DWORD>(digest.size());
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0) ||
      length != digest.size())
    return std::nullopt;
  return digest;
}
