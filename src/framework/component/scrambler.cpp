// framework/component/scrambler: XOR with a keystream of HMAC-SHA256 blocks; a nonce derived
// from the key and the plain text starts the stream and lets unscrambling check the key.
#include "framework/component/scrambler.h"

#include <QByteArray>
#include <QMessageAuthenticationCode>
#include <cstdint>

#include "framework/component/component_errors.h"

namespace qb {

namespace {

constexpr size_t kNonceSize = 8;
constexpr int kMaxAttempts = 256;
constexpr size_t kVisibleRun = 3;

QByteArray Hmac(std::string_view key, const QByteArray& message) {
  return QMessageAuthenticationCode::hash(message, QByteArray(key.data(), static_cast<qsizetype>(key.size())),
                                          QCryptographicHash::Sha256);
}

// The nonce of PLAIN for one attempt: the first bytes of HMAC(key, "nonce" attempt plain).
QByteArray Nonce(std::string_view plain, std::string_view key, int attempt) {
  QByteArray message("nonce");
  message.append(static_cast<char>(attempt));
  message.append(plain.data(), static_cast<qsizetype>(plain.size()));
  return Hmac(key, message).left(static_cast<qsizetype>(kNonceSize));
}

// DATA XOR the keystream HMAC(key, nonce counter) for counter 0, 1, ...
std::string Crypt(std::string_view data, std::string_view key, const QByteArray& nonce) {
  std::string out(data);
  QByteArray block;
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t offset = i % 32;
    if (offset == 0) {
      const uint32_t counter = static_cast<uint32_t>(i / 32);
      QByteArray message = nonce;
      for (int shift = 24; shift >= 0; shift -= 8) message.append(static_cast<char>((counter >> shift) & 0xFF));
      block = Hmac(key, message);
    }
    out[i] = static_cast<char>(out[i] ^ block[static_cast<qsizetype>(offset)]);
  }
  return out;
}

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// True when OUT holds a run of kVisibleRun consecutive characters of PLAIN, ignoring case.
bool ShowsPlain(const std::string& out, std::string_view plain) {
  if (plain.size() < kVisibleRun) return false;
  for (size_t i = 0; i + kVisibleRun <= plain.size(); ++i) {
    for (size_t j = 0; j + kVisibleRun <= out.size(); ++j) {
      size_t k = 0;
      while (k < kVisibleRun && Fold(plain[i + k]) == Fold(out[j + k])) ++k;
      if (k == kVisibleRun) return true;
    }
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string ScrambleText(std::string_view plain, std::string_view key) {
  if (plain.empty()) return std::string();
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    const QByteArray nonce = Nonce(plain, key, attempt);
    const std::string bytes = nonce.toStdString() + Crypt(plain, key, nonce);
    out.clear();
    for (unsigned char b : bytes) {
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0x0F]);
    }
    if (!ShowsPlain(out, plain)) break;
  }
  return out;
}

std::string UnscrambleText(std::string_view scrambled, std::string_view key) {
  if (scrambled.empty()) return std::string();
  if (scrambled.size() % 2 != 0 || scrambled.size() <= 2 * kNonceSize) {
    throw EConvertError("Invalid scrambled text");
  }
  std::string bytes;
  for (size_t i = 0; i < scrambled.size(); i += 2) {
    const int high = HexValue(scrambled[i]);
    const int low = HexValue(scrambled[i + 1]);
    if (high < 0 || low < 0) throw EConvertError("Invalid scrambled text");
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  const QByteArray nonce(bytes.data(), static_cast<qsizetype>(kNonceSize));
  std::string plain = Crypt(std::string_view(bytes).substr(kNonceSize), key, nonce);
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    if (Nonce(plain, key, attempt) == nonce) return plain;
  }
  throw EConvertError("Invalid scrambled text");
}

}  // namespace qb
