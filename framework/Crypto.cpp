#include "Crypto.h"

#include <openssl/bio.h>
#include <openssl/decoder.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <memory>

namespace fw::Crypto {

namespace {

struct PkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); }
};
struct BioFree {
    void operator()(BIO* p) const { BIO_free(p); }
};
struct DecoderCtxFree {
    void operator()(OSSL_DECODER_CTX* p) const { OSSL_DECODER_CTX_free(p); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using PkeyCtx = std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree>;
using Bio = std::unique_ptr<BIO, BioFree>;

// OAEP with SHA-1 takes two digests and two bytes of every block.
constexpr int kOaepOverhead = 42;

// An RSA key from PEM text; the selection says whether the private part is needed. Accepts the
// PKCS#8 / SubjectPublicKeyInfo forms and the older PKCS#1 ones.
Pkey DecodeRsaKey(const std::string& pem, int selection) {
    if (pem.empty()) return nullptr;
    EVP_PKEY* key = nullptr;
    std::unique_ptr<OSSL_DECODER_CTX, DecoderCtxFree> decoder(
        OSSL_DECODER_CTX_new_for_pkey(&key, "PEM", nullptr, "RSA", selection, nullptr, nullptr));
    if (!decoder) return nullptr;
    const auto* data = reinterpret_cast<const unsigned char*>(pem.data());
    size_t length = pem.size();
    if (OSSL_DECODER_from_data(decoder.get(), &data, &length) != 1) {
        EVP_PKEY_free(key);
        return nullptr;
    }
    return Pkey(key);
}

std::string BioText(BIO* bio) {
    char* data = nullptr;
    long length = BIO_get_mem_data(bio, &data);
    return length > 0 ? std::string(data, static_cast<size_t>(length)) : std::string();
}

PkeyCtx OaepContext(EVP_PKEY* key, bool encrypt) {
    PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
    if (!ctx) return nullptr;
    int ready = encrypt ? EVP_PKEY_encrypt_init(ctx.get()) : EVP_PKEY_decrypt_init(ctx.get());
    if (ready != 1 || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_OAEP_PADDING) != 1)
        return nullptr;
    return ctx;
}

// One block through the context, or false.
bool Transform(EVP_PKEY_CTX* ctx, bool encrypt, const std::string& in, size_t keySize,
               std::string& out) {
    std::string block(keySize, '\0');
    size_t length = block.size();
    const auto* src = reinterpret_cast<const unsigned char*>(in.data());
    auto* dst = reinterpret_cast<unsigned char*>(block.data());
    int ok = encrypt ? EVP_PKEY_encrypt(ctx, dst, &length, src, in.size())
                     : EVP_PKEY_decrypt(ctx, dst, &length, src, in.size());
    if (ok != 1) return false;
    out.append(block, 0, length);
    return true;
}

// The result of an operation; the OpenSSL error queue is left empty whatever happened, so a
// failure here never shows up in a later, unrelated check.
template <typename T>
T Clean(T result) {
    ERR_clear_error();
    return result;
}

}  // namespace

bool RSAGenerateKeyPair(int bits, std::string& privateKey, std::string& publicKey) {
    if (bits <= 0) return false;
    Pkey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(bits)));
    if (!key) return Clean(false);
    Bio priv(BIO_new(BIO_s_mem()));
    Bio pub(BIO_new(BIO_s_mem()));
    if (!priv || !pub ||
        PEM_write_bio_PrivateKey(priv.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) !=
            1 ||
        PEM_write_bio_PUBKEY(pub.get(), key.get()) != 1)
        return Clean(false);
    privateKey = BioText(priv.get());
    publicKey = BioText(pub.get());
    return true;
}

std::optional<MemoryBlock> RSAEncrypt(const MemoryBlock& data, const std::string& publicKey) {
    Pkey key = DecodeRsaKey(publicKey, EVP_PKEY_PUBLIC_KEY);
    if (!key) return Clean(std::optional<MemoryBlock>());
    int keySize = EVP_PKEY_get_size(key.get());
    if (keySize <= kOaepOverhead) return Clean(std::optional<MemoryBlock>());
    PkeyCtx ctx = OaepContext(key.get(), true);
    if (!ctx) return Clean(std::optional<MemoryBlock>());

    const std::string& plain = data.Bytes();
    const size_t chunk = static_cast<size_t>(keySize - kOaepOverhead);
    std::string cipher;
    // Empty data still makes one block, so the ciphertext always decrypts to something.
    size_t offset = 0;
    do {
        if (!Transform(ctx.get(), true, plain.substr(offset, chunk), static_cast<size_t>(keySize),
                       cipher))
            return Clean(std::optional<MemoryBlock>());
        offset += chunk;
    } while (offset < plain.size());
    return MemoryBlock::FromBytes(std::move(cipher));
}

std::optional<MemoryBlock> RSADecrypt(const MemoryBlock& data, const std::string& privateKey) {
    Pkey key = DecodeRsaKey(privateKey, EVP_PKEY_KEYPAIR);
    if (!key) return Clean(std::optional<MemoryBlock>());
    const int keySize = EVP_PKEY_get_size(key.get());
    const std::string& cipher = data.Bytes();
    if (keySize <= 0 || cipher.empty() || cipher.size() % static_cast<size_t>(keySize) != 0)
        return Clean(std::optional<MemoryBlock>());
    PkeyCtx ctx = OaepContext(key.get(), false);
    if (!ctx) return Clean(std::optional<MemoryBlock>());

    std::string plain;
    for (size_t offset = 0; offset < cipher.size(); offset += static_cast<size_t>(keySize)) {
        if (!Transform(ctx.get(), false, cipher.substr(offset, static_cast<size_t>(keySize)),
                       static_cast<size_t>(keySize), plain))
            return Clean(std::optional<MemoryBlock>());
    }
    return MemoryBlock::FromBytes(std::move(plain));
}

}  // namespace fw::Crypto
