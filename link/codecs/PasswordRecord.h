#pragma once
#include <cstdint>
#include <string>

// The user-password record the board stores (05/24) and the salt its login
// checks against: one salt for both, or a password set here could never log in.
namespace PasswordRecord {

constexpr size_t kSize = 38;

// The login salt: the MCU id's whole hex pairs as bytes, zero-padded to 20.
void LoginSalt(const std::string& mcuIdHex, uint8_t salt[20]);
// The 32-byte key of a password (its first 32 characters) under that salt.
void Key(const std::string& password, const std::string& mcuIdHex, uint8_t key[32]);
// {1, 0, CRC of the key (LE), key, CRC of bytes 0-35 (LE)}.
void Make(const std::string& password, const std::string& mcuIdHex, uint8_t record[kSize]);
// Deleting the password: 36 zero bytes and their CRC.
void MakeDelete(uint8_t record[kSize]);
// Lower-case hex, two digits a byte, as the request takes it.
std::string Hex(const uint8_t record[kSize]);

} // namespace PasswordRecord
