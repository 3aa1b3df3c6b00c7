#pragma once
// A secp256r1 key made for one test run, and the recorder's 82-byte
// signature file made with it.
#include <QByteArray>
#include <QString>

typedef struct evp_pkey_st EVP_PKEY;

class EcdsaTestKey
{
public:
    EcdsaTestKey();
    ~EcdsaTestKey();
    EcdsaTestKey(const EcdsaTestKey &) = delete;
    EcdsaTestKey &operator=(const EcdsaTestKey &) = delete;

    bool isValid() const { return key != nullptr; }
    // X then Y, 32 bytes each.
    QByteArray publicKey() const;
    // r then s, 32 bytes each, over the SHA-256 digest of the data.
    QByteArray sign(const QByteArray &data) const;
    // The 82-byte file: the MAC bytes padded with zeros to 18, then r and s.
    QByteArray signatureFile(const QByteArray &data, const QByteArray &macBytes) const;

private:
    EVP_PKEY *key;
};

// Writes bytes to a file; false when it cannot.
bool writeTestFile(const QString &path, const QByteArray &bytes);
