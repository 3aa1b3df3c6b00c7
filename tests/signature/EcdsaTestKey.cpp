#include "signature/EcdsaTestKey.h"

#include <QFile>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>

EcdsaTestKey::EcdsaTestKey()
    : key(EVP_EC_gen("P-256"))
{
}

EcdsaTestKey::~EcdsaTestKey()
{
    EVP_PKEY_free(key);
}

QByteArray EcdsaTestKey::publicKey() const
{
    unsigned char point[65];
    size_t length = 0;
    if (!key || EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, &length) != 1
        || length != 65 || point[0] != 0x04)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(point) + 1, 64);
}

QByteArray EcdsaTestKey::sign(const QByteArray &data) const
{
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    QByteArray der;
    size_t length = 0;
    if (ctx && EVP_DigestSignInit(ctx, nullptr, EVP_sha256(), nullptr, key) == 1
        && EVP_DigestSign(ctx, nullptr, &length, reinterpret_cast<const unsigned char *>(data.constData()),
                          size_t(data.size()))
               == 1) {
        der.resize(int(length));
        if (EVP_DigestSign(ctx, reinterpret_cast<unsigned char *>(der.data()), &length,
                           reinterpret_cast<const unsigned char *>(data.constData()), size_t(data.size()))
            == 1)
            der.resize(int(length));
        else
            der.clear();
    }
    EVP_MD_CTX_free(ctx);
    if (der.isEmpty())
        return QByteArray();

    const unsigned char *in = reinterpret_cast<const unsigned char *>(der.constData());
    ECDSA_SIG *sig = d2i_ECDSA_SIG(nullptr, &in, der.size());
    if (!sig)
        return QByteArray();
    QByteArray raw(64, '\0');
    auto *out = reinterpret_cast<unsigned char *>(raw.data());
    const bool ok = BN_bn2binpad(ECDSA_SIG_get0_r(sig), out, 32) == 32
                    && BN_bn2binpad(ECDSA_SIG_get0_s(sig), out + 32, 32) == 32;
    ECDSA_SIG_free(sig);
    return ok ? raw : QByteArray();
}

QByteArray EcdsaTestKey::signatureFile(const QByteArray &data, const QByteArray &macBytes) const
{
    QByteArray file = macBytes.left(18);
    file.append(QByteArray(18 - file.size(), '\0'));
    return file + sign(data);
}

bool writeTestFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
