#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The program's own SHA-1 (FIPS 180-4) and the constructions on it. The boards
// compute the same values, so results must match the published algorithms.
struct Sha1Context {
    uint32_t state[5];
    uint64_t length;      // bytes fed so far
    uint8_t buffer[64];
    size_t fill;
};

void Sha1Init(Sha1Context& ctx);
void Sha1Update(Sha1Context& ctx, const void* data, size_t length);
void Sha1Final(Sha1Context& ctx, uint8_t digest[20]);
void Sha1Digest(const void* data, size_t length, uint8_t digest[20]);

// HMAC (RFC 2104) with SHA-1; keys over 64 bytes are replaced by their digest.
void HmacSha1(const void* key, size_t keyLength, const void* data, size_t dataLength, uint8_t mac[20]);

// PBKDF2 (RFC 8018) block function F with HMAC-SHA1 and 4096 iterations.
// The salt is raw bytes here; a text salt goes through Pbkdf2Sha1BlockText.
void Pbkdf2Sha1Block(const void* salt, size_t saltLength, const std::string& password,
                     uint32_t blockIndex, uint8_t out[20]);
void Pbkdf2Sha1BlockText(const std::string& salt, const std::string& password,
                         uint32_t blockIndex, uint8_t out[20]);

// 32-byte key: blocks 1 and 2 of PBKDF2, first 32 bytes. Used with the board's
// 20-byte MCU id as salt by the login and the password record.
void Pbkdf2Sha1Key32(const void* salt, size_t saltLength, const std::string& password, uint8_t key[32]);

// WPA/WPA2 pre-shared key (IEEE 802.11i). A 64-character passphrase is the key
// in hex. Returns false when no key is defined (over 64 characters, bad hex).
bool CalcWpaPsk(const std::string& passphrase, const std::string& ssid, uint8_t key[32]);
