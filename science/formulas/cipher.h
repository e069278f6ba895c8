#pragma once
// Deciphering of the picture container's payload: Blowfish (ECB, blocks of two
// 32-bit words read little-endian, bytes 0-3 the left word) under a text key,
// with the padding count in the stream's last byte. The cipher state is one
// process-wide value; the routines run on the GUI thread only.
#include <QByteArray>
#include <QString>

#include <cstdint>

// 18 standard P words + 1024 S-box words + 16 extra P words: the hexadecimal
// digits of pi (pitable.cpp).
extern const std::uint32_t kPiWords[1058];

inline constexpr int kMaxRounds = 32;

struct CipherState {
    int Rounds = 16;
    std::uint32_t P[kMaxRounds + 2] = {};
    std::uint32_t S[4][256] = {};
    // Rounds 16 and the built-in table.
    void reset();
};
CipherState& cipherState();

// The state from `initialTable` (34 P words then 1024 S words; none: the
// built-in one), the rounds as asked (0, 1 and above 32 give 16; odd counts
// go up to the next even one) and the key's bytes. False when the key is
// empty or leaves two equal entries in one S-box (the state is then not to be
// used).
bool KeySchedule(const std::uint8_t* key, int keyLength, const std::uint32_t* initialTable, int rounds);
// The key's Windows-1252 bytes, whole (a key of any length), 16 rounds.
bool BlowfishSetKey(const QString& key);
void EncryptBlock(std::uint32_t& left, std::uint32_t& right);
void DecryptBlock(std::uint32_t& left, std::uint32_t& right);
// Every whole 8-byte block in place; a shorter tail is left as it is.
void DecryptBuffer(std::uint8_t* data, qsizetype length);
// Deciphers in place and drops the padding: the last byte n and the n bytes
// before it (all of it when n + 1 exceeds the size). An empty stream or a
// rejected key leaves the data as they are.
void DecryptStream(QByteArray& stream, const QString& key);
void ResetCipher();
