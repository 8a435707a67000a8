// jet/sqlite/cipher_key: the key a file is encrypted with: none (a plain file), a raw 256-bit key
// (no derivation cost) or a password (derived by the cipher's own slow function). Holds secrets:
// wipes them when destroyed and never prints them.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qb::jet {

class CipherKey {
 public:
  enum class Kind { kNone, kRaw, kPassword };
  using RawBytes = std::array<std::uint8_t, 32>;

  // A plain file: no key is ever applied to it.
  static CipherKey None() { return CipherKey(); }
  static CipherKey Raw(const RawBytes& bytes);
  // REQUIRES: PASSWORD is not empty (an empty key would fail in the cipher).
  static CipherKey Password(std::string password);

  CipherKey() = default;
  CipherKey(const CipherKey& other) = default;
  CipherKey& operator=(const CipherKey& other);
  ~CipherKey();

  Kind GetKind() const { return kind_; }
  bool IsNone() const { return kind_ == Kind::kNone; }
  // The text handed to the cipher: "x'<64 hex digits>'" for a raw key, the password otherwise.
  // The caller wipes its copies. REQUIRES: !IsNone().
  const std::string& Material() const { return material_; }

 private:
  Kind kind_ = Kind::kNone;
  std::string material_;
};

}  // namespace qb::jet
