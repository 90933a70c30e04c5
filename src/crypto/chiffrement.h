#pragma once
// The cipher facade: Twofish with a 256-bit key taken from the RIPEMD-256 digest of a key text,
// chained as below, its output stored as base64 text. Account passwords in comptes.dat and
// enciphered messages ("X-CRPT") go through it, so every byte of the chaining is part of the file
// formats.
//
// Chaining, with E/D the Twofish block operations and F the feedback register:
//   enciphering a whole block P: C = E(P xor F), then F = C xor F;
//   deciphering a whole block C: P = D(C) xor F, then F = C xor F;
//   a last partial block of r bytes (either way) is xored with the first r bytes of S = E(F),
//   then F = S xor F.
// Every string operation starts from F = Vector = E(FF..FF), so equal texts under one key give
// equal cipher texts and strings can be deciphered in any order.

#include "core/texte.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace vaskor {

// A failure of the cipher, carrying the code page 1252 text to show.
class ErreurChiffrement : public std::exception {
public:
    explicit ErreurChiffrement(Texte message) : message_(std::move(message)) {}
    const Texte& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    Texte message_;
};

class TCipherManager {
public:
    static constexpr std::size_t TailleBloc = 16;
    static constexpr std::size_t TailleCle = 32;
    using Bloc = std::array<std::uint8_t, TailleBloc>;

    TCipherManager();
    ~TCipherManager();
    TCipherManager(const TCipherManager&) = delete;
    TCipherManager& operator=(const TCipherManager&) = delete;

    // Derives the key from the bytes of `texteCle` and sets Vector (to `vecteur` when given,
    // else to E(FF..FF)) and Feedback. Replaces any earlier key.
    void InitKey(std::string_view texteCle, const std::optional<Bloc>& vecteur = std::nullopt);
    bool CleDefinie() const;

    // Enciphers the bytes of `texte` and returns them as base64; empty gives empty.
    Texte EncodeString(std::string_view texte);
    // Decodes base64 and deciphers. Throws ErreurChiffrement with
    // "Input is not an valid MIME Base 64 Format." for a character outside the accepted set.
    Texte DecodeString(std::string_view texte);
    // Deciphers a file into another one, or in place when `destination` is the source itself or
    // blank. The clear bytes are written to a temporary file renamed over the target when whole,
    // so a failure leaves the source and an existing destination unchanged. Throws
    // ErreurChiffrement with the system's reason when a file cannot be opened, created, read or
    // written.
    void DecodeFile(const std::filesystem::path& source, const std::filesystem::path& destination);

    // The chaining over `n` bytes from the current Feedback; `source` and `destination` may be
    // the same memory. Throws ErreurChiffrement before any key.
    void EncodeBuffer(const void* source, void* destination, std::size_t n);
    void DecodeBuffer(const void* source, void* destination, std::size_t n);

    // Puts Feedback back to Vector, as every string and file operation does before and after.
    void ReinitialiserFeedback();

private:
    struct Etat;
    void VerifierCle() const;
    std::unique_ptr<Etat> etat_;  // created on first use, like the key schedule it holds
};

}  // namespace vaskor
