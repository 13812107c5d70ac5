#pragma once

#include <optional>
#include <string>

#include "MemoryBlock.h"

namespace fw::Crypto {

// RSA key pairs and RSA-OAEP encryption. The key texts are PEM. Data longer than one RSA block is
// encrypted block by block; the ciphertext is the blocks one after another.
bool RSAGenerateKeyPair(int bits, std::string& privateKey, std::string& publicKey);
// nullopt when the key is unusable.
std::optional<MemoryBlock> RSAEncrypt(const MemoryBlock& data, const std::string& publicKey);
// nullopt when the key is unusable or the ciphertext does not decrypt with it.
std::optional<MemoryBlock> RSADecrypt(const MemoryBlock& data, const std::string& privateKey);

}  // namespace fw::Crypto
