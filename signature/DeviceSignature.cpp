#include "signature/DeviceSignature.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>

namespace DeviceSignature {

namespace {

template <class T, void (*Free)(T *)>
struct Deleter
{
    void operator()(T *p) const { Free(p); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using PkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using ParamBldPtr = std::unique_ptr<OSSL_PARAM_BLD, Deleter<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using ParamPtr = std::unique_ptr<OSSL_PARAM, Deleter<OSSL_PARAM, OSSL_PARAM_free>>;
using SigPtr = std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG, ECDSA_SIG_free>>;

// The raw point with the uncompressed-point prefix; OpenSSL checks that it
// lies on the curve, so a bad key yields no key at all.
PkeyPtr publicKeyFromRaw(const QByteArray &raw)
{
    QByteArray point(1, '\x04');
    point += raw;
    ParamBldPtr bld(OSSL_PARAM_BLD_new());
    if (!bld
        || !OSSL_PARAM_BLD_push_utf8_string(bld.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0)
        || !OSSL_PARAM_BLD_push_octet_string(bld.get(), OSSL_PKEY_PARAM_PUB_KEY, point.constData(),
                                             size_t(point.size())))
        return nullptr;
    ParamPtr params(OSSL_PARAM_BLD_to_param(bld.get()));
    PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1)
        return nullptr;
    EVP_PKEY *key = nullptr;
    if (EVP_PKEY_fromdata(ctx.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
        return nullptr;
    return PkeyPtr(key);
}

// r||s to the DER form that EVP verification takes.
QByteArray derFromRaw(const QByteArray &raw)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(raw.constData());
    SigPtr sig(ECDSA_SIG_new());
    BIGNUM *r = BN_bin2bn(bytes, SignatureSize / 2, nullptr);
    BIGNUM *s = BN_bin2bn(bytes + SignatureSize / 2, SignatureSize / 2, nullptr);
    if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        return QByteArray();
    }
    const int length = i2d_ECDSA_SIG(sig.get(), nullptr);
    if (length <= 0)
        return QByteArray();
    QByteArray der(length, '\0');
    auto *out = reinterpret_cast<unsigned char *>(der.data());
    if (i2d_ECDSA_SIG(sig.get(), &out) != length)
        return QByteArray();
    return der;
}

} // namespace

QString builtInPublicKeyHex()
{
    // Kept exactly as the device maker gave it. It is not a point of the
    // curve, so with it every check fails closed.
    return QStringLiteral("7c1e5a93d04b82f6e9a3c57d1b08f4e26a9d3c71e5b0f28a4d6c93e17b5a02f8"
                          "c3f81d6a59e2b07d4a1c8e63f95b2d07e8a4c61f3b9d05e72a6f4c18d3b9e5a0");
}

QByteArray builtInPublicKey()
{
    return QByteArray::fromHex(builtInPublicKeyHex().toLatin1());
}

QString macText(const QByteArray &signatureFile)
{
    QByteArray mac = signatureFile.left(MacSize);
    const int zero = mac.indexOf('\0');
    if (zero >= 0)
        mac.truncate(zero);
    return QString::fromLatin1(mac).trimmed();
}

bool verifyDigest(const QByteArray &publicKey, const QByteArray &digest, const QByteArray &signature)
{
    if (publicKey.size() != PublicKeySize || signature.size() != SignatureSize || digest.size() != 32)
        return false;
    PkeyPtr key = publicKeyFromRaw(publicKey);
    if (!key)
        return false;
    const QByteArray der = derFromRaw(signature);
    if (der.isEmpty())
        return false;
    PkeyCtxPtr ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
    if (!ctx || EVP_PKEY_verify_init(ctx.get()) != 1 || EVP_PKEY_CTX_set_signature_md(ctx.get(), EVP_sha256()) != 1)
        return false;
    // 1 is a valid signature; 0 a wrong one, negative an error: only 1 passes.
    return EVP_PKEY_verify(ctx.get(), reinterpret_cast<const unsigned char *>(der.constData()), size_t(der.size()),
                           reinterpret_cast<const unsigned char *>(digest.constData()), size_t(digest.size()))
        == 1;
}

} // namespace DeviceSignature
