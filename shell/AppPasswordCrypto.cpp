// Stored passwords: each one is encrypted at every save with the public key of a 1024-bit key pair
// made for it alone; the private key is stored beside the ciphertext.
#include "framework/Crypto.h"
#include "shell/App.h"

void App::RSAEncrypt(const std::string& password, std::string& privateKey,
                     fw::MemoryBlock& cipher) {
    std::string publicKey;
    if (!fw::Crypto::RSAGenerateKeyPair(1024, privateKey, publicKey)) return;
    fw::MemoryBlock data(static_cast<int64_t>(password.size()));
    data.SetStringValue(0, password);
    if (std::optional<fw::MemoryBlock> encrypted = fw::Crypto::RSAEncrypt(data, publicKey))
        cipher = std::move(*encrypted);
}

std::optional<std::string> App::RSADecrypt(const fw::MemoryBlock& cipher,
                                           const std::string& privateKey) {
    std::optional<fw::MemoryBlock> plain = fw::Crypto::RSADecrypt(cipher, privateKey);
    if (!plain) return std::nullopt;
    return plain->Bytes();
}
