#include "stream/segment_cipher.h"

#include <openssl/evp.h>

#include <memory>

namespace reelcatch {

std::string SequenceIv(uint64_t sequence) {
  std::string iv(16, '\0');
  for (int i = 15; i >= 8; --i, sequence >>= 8) iv[i] = static_cast<char>(sequence & 0xff);
  return iv;
}

std::optional<std::string> DecryptSegment(const std::string& data, const std::string& key,
                                          const std::string& iv) {
  constexpr size_t kBlock = 16;
  if (key.size() != kBlock || iv.size() != kBlock || data.empty() || data.size() % kBlock != 0 ||
      data.size() > INT32_MAX) {
    return std::nullopt;
  }
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                          EVP_CIPHER_CTX_free);
  auto bytes = [](const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
  };
  if (!context ||
      EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, bytes(key), bytes(iv)) != 1) {
    return std::nullopt;
  }
  std::string plain(data.size() + kBlock, '\0');
  auto* out = reinterpret_cast<unsigned char*>(plain.data());
  int written = 0;
  int last = 0;
  if (EVP_DecryptUpdate(context.get(), out, &written, bytes(data), static_cast<int>(data.size())) !=
          1 ||
      EVP_DecryptFinal_ex(context.get(), out + written, &last) != 1) {
    return std::nullopt;
  }
  plain.resize(static_cast<size_t>(written + last));
  return plain;
}

}  // namespace reelcatch
