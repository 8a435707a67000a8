// jet/sqlite/cipher_key: builds the cipher's key text and wipes it on destruction.
#include "jet/sqlite/cipher_key.h"

#include <sodium.h>

namespace qb::jet {
namespace {

void Wipe(std::string& text) {
  if (!text.empty()) sodium_memzero(text.data(), text.size());
  text.clear();
}

}  // namespace

CipherKey CipherKey::Raw(const RawBytes& bytes) {
  CipherKey key;
  key.kind_ = Kind::kRaw;
  static constexpr char kHex[] = "0123456789abcdef";
  key.material_.reserve(3 + bytes.size() * 2);
  key.material_ += "x'";
  for (std::uint8_t byte : bytes) {
    key.material_ += kHex[byte >> 4];
    key.material_ += kHex[byte & 0x0f];
  }
  key.material_ += '\'';
  return key;
}

CipherKey CipherKey::Password(std::string password) {
  CipherKey key;
  key.kind_ = Kind::kPassword;
  key.material_ = password;
  Wipe(password);
  return key;
}

CipherKey& CipherKey::operator=(const CipherKey& other) {
  if (this != &other) {
    Wipe(material_);
    kind_ = other.kind_;
    material_ = other.material_;
  }
  return *this;
}

CipherKey::~CipherKey() { Wipe(material_); }

}  // namespace qb::jet
