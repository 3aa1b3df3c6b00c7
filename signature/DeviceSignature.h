#pragma once
// The recorder's own signature of a CSV data file: an 82-byte file beside it
// holding the device MAC and an ECDSA (secp256r1) signature of the SHA-256
// digest of the whole data file.
#include <QByteArray>
#include <QString>

namespace DeviceSignature {

constexpr int FileSize = 82;
constexpr int MacSize = 18;
constexpr int SignatureSize = 64; // r then s, 32 bytes each, big-endian
constexpr int PublicKeySize = 64; // X then Y, 32 bytes each, big-endian

// The public key built into the program, as 128 hex digits.
QString builtInPublicKeyHex();
// The built-in key decoded to its 64 bytes.
QByteArray builtInPublicKey();

// The MAC text of a signature file's first bytes: Latin-1 up to the first
// zero byte, trimmed.
QString macText(const QByteArray &signatureFile);

// ECDSA verification of a raw r||s signature over a SHA-256 digest against a
// raw X||Y public key. Anything malformed (sizes, a key that is not a point
// of the curve, r or s out of range) verifies nothing.
bool verifyDigest(const QByteArray &publicKey, const QByteArray &digest, const QByteArray &signature);

} // namespace DeviceSignature
