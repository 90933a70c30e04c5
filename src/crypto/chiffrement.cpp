#include "crypto/chiffrement.h"

#include "core/fichiers.h"
#include "core/secret.h"
#include "crypto/mime64.h"

#include <cryptopp/misc.h>
#include <cryptopp/ripemd.h>
#include <cryptopp/twofish.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vaskor {

namespace {

// Pieces of this size go through the chaining at once; a multiple of the block size, so the
// result equals one pass over the whole data.
constexpr std::size_t TaillePiece = 4096;

Texte NomCp(const std::filesystem::path& p) { return Utf8VersCp1252(p.string()); }
Texte ErreurSysteme(int e) { return TexteErreurSysteme(e); }

void Xor(std::uint8_t* r, const std::uint8_t* a, const std::uint8_t* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) r[i] = std::uint8_t(a[i] ^ b[i]);
}

// Closes a descriptor on every way out.
struct Descripteur {
    int fd = -1;
    ~Descripteur()
    {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

struct TCipherManager::Etat {
    CryptoPP::Twofish::Encryption chiffreur;
    CryptoPP::Twofish::Decryption dechiffreur;
    Bloc Vector{};
    Bloc Feedback{};
    Bloc Buffer{};
    bool cleDefinie = false;
    bool pret = false;

    void E(const std::uint8_t* entree, std::uint8_t* sortie) { chiffreur.ProcessBlock(entree, sortie); }
    void D(const std::uint8_t* entree, std::uint8_t* sortie) { dechiffreur.ProcessBlock(entree, sortie); }
};

TCipherManager::TCipherManager() = default;
TCipherManager::~TCipherManager() = default;

bool TCipherManager::CleDefinie() const { return etat_ && etat_->cleDefinie && etat_->pret; }

void TCipherManager::InitKey(std::string_view texteCle, const std::optional<Bloc>& vecteur)
{
    if (!etat_) etat_ = std::make_unique<Etat>();
    Etat& e = *etat_;

    std::array<std::uint8_t, CryptoPP::RIPEMD256::DIGESTSIZE> empreinte{};
    static_assert(CryptoPP::RIPEMD256::DIGESTSIZE == TailleCle);
    CryptoPP::RIPEMD256().CalculateDigest(empreinte.data(), reinterpret_cast<const CryptoPP::byte*>(texteCle.data()),
                                          texteCle.size());

    e.cleDefinie = false;
    e.pret = false;
    e.Vector.fill(0xFF);
    e.Feedback.fill(0xFF);
    e.Buffer.fill(0x00);
    e.chiffreur.SetKey(empreinte.data(), TailleCle);
    e.dechiffreur.SetKey(empreinte.data(), TailleCle);

    if (vecteur)
        e.Vector = *vecteur;
    else
        e.E(e.Vector.data(), e.Vector.data());
    e.Feedback = e.Vector;
    e.pret = true;
    e.cleDefinie = true;
    // The digest is the key itself: leave no copy of it on the stack.
    CryptoPP::SecureWipeBuffer(empreinte.data(), empreinte.size());
}

void TCipherManager::VerifierCle() const
{
    if (!CleDefinie())
        throw ErreurChiffrement("TCipher_Twofish is not initialized call Init() or InitKey() before.");
}

void TCipherManager::ReinitialiserFeedback()
{
    if (etat_) etat_->Feedback = etat_->Vector;
}

void TCipherManager::EncodeBuffer(const void* source, void* destination, std::size_t n)
{
    VerifierCle();
    Etat& e = *etat_;
    auto* s = static_cast<const std::uint8_t*>(source);
    auto* d = static_cast<std::uint8_t*>(destination);
    Bloc& F = e.Feedback;
    Bloc& B = e.Buffer;
    std::size_t i = 0;
    for (; i + TailleBloc <= n; i += TailleBloc) {
        Xor(B.data(), s + i, F.data(), TailleBloc);
        e.E(B.data(), B.data());
        // The new feedback is the cipher block xored with the old one, not the cipher block.
        Xor(F.data(), B.data(), F.data(), TailleBloc);
        std::memcpy(d + i, B.data(), TailleBloc);
    }
    if (const std::size_t r = n - i; r > 0) {
        e.E(F.data(), B.data());
        Xor(d + i, s + i, B.data(), r);
        Xor(F.data(), B.data(), F.data(), TailleBloc);
    }
}

void TCipherManager::DecodeBuffer(const void* source, void* destination, std::size_t n)
{
    VerifierCle();
    Etat& e = *etat_;
    auto* s = static_cast<const std::uint8_t*>(source);
    auto* d = static_cast<std::uint8_t*>(destination);
    Bloc& F = e.Feedback;
    Bloc& B = e.Buffer;
    std::size_t i = 0;
    for (; i + TailleBloc <= n; i += TailleBloc) {
        Bloc suivant;
        Xor(suivant.data(), s + i, F.data(), TailleBloc);  // read before the block is overwritten
        e.D(s + i, B.data());
        Xor(d + i, B.data(), F.data(), TailleBloc);
        F = suivant;
    }
    // The last partial block is a key stream, so it is enciphered here too, never deciphered.
    if (const std::size_t r = n - i; r > 0) {
        e.E(F.data(), B.data());
        Xor(d + i, s + i, B.data(), r);
        Xor(F.data(), B.data(), F.data(), TailleBloc);
    }
}

Texte TCipherManager::EncodeString(std::string_view texte)
{
    if (texte.empty()) return {};
    Texte octets(texte);
    ReinitialiserFeedback();
    for (std::size_t i = 0; i < octets.size(); i += TaillePiece)
        EncodeBuffer(octets.data() + i, octets.data() + i, std::min(TaillePiece, octets.size() - i));
    ReinitialiserFeedback();
    return EncoderMime64(octets);
}

Texte TCipherManager::DecodeString(std::string_view texte)
{
    if (texte.empty()) return {};
    std::optional<Texte> octets = DecoderMime64(texte);
    if (!octets) throw ErreurChiffrement("Input is not an valid " + Texte(NomFormatMime64) + " Format.");
    ReinitialiserFeedback();
    for (std::size_t i = 0; i < octets->size(); i += TaillePiece)
        DecodeBuffer(octets->data() + i, octets->data() + i, std::min(TaillePiece, octets->size() - i));
    ReinitialiserFeedback();
    // A short text stays in the moved-from string's own buffer: the clear bytes (a password)
    // are wiped there.
    Texte clair = std::move(*octets);
    EffacerTexte(*octets);
    return clair;
}

void TCipherManager::DecodeFile(const std::filesystem::path& source, const std::filesystem::path& destination)
{
    VerifierCle();
    // Names that differ only by letter case are different files here, so "the same file" is
    // asked of the file system rather than of the names.
    std::error_code ec;
    const bool destinationVide = Rogner(destination.string()).empty();
    const bool surPlace = destinationVide || destination == source ||
                          (std::filesystem::exists(destination, ec) && std::filesystem::equivalent(source, destination, ec));

    // Without O_NONBLOCK a pipe named as the source would hang the window until a writer came.
    Descripteur entree;
    entree.fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (entree.fd < 0) throw ErreurChiffrement("Impossible d'ouvrir le fichier "_cp + NomCp(source) + " : " + ErreurSysteme(errno));
    struct stat etatSource {};
    if (::fstat(entree.fd, &etatSource) != 0 || !S_ISREG(etatSource.st_mode))
        throw ErreurChiffrement("Impossible d'ouvrir le fichier "_cp + NomCp(source) + " : " + ErreurSysteme(EINVAL));

    // The clear bytes go to a new file beside the target, renamed over it once whole: a failure
    // half-way (a full disk, a read error) leaves the enciphered source and an existing
    // destination as they were. Deciphering in place replaces the file the source names, through
    // its links, and keeps its permissions.
    std::filesystem::path cible = surPlace ? std::filesystem::canonical(source, ec) : destination;
    if (surPlace && ec) cible = source;
    const std::filesystem::path& nomSortie = surPlace ? source : destination;
    const mode_t mode = surPlace ? (etatSource.st_mode & 0777) : 0666;
    std::filesystem::path temp;
    Descripteur sortie;
    std::random_device alea;
    for (int essai = 0; essai < 100 && sortie.fd < 0; ++essai) {
        temp = cible.parent_path() / ("." + cible.filename().string() + ".tmp" + std::to_string(alea() % 1000000));
        sortie.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (sortie.fd < 0 && errno != EEXIST) break;
    }
    if (sortie.fd < 0)
        throw ErreurChiffrement("Impossible de créer le fichier "_cp + NomCp(nomSortie) + " : " + ErreurSysteme(errno));
    const auto echec = [&](const char* debut, const std::filesystem::path& nom, int err) {
        ReinitialiserFeedback();
        ::close(std::exchange(sortie.fd, -1));
        ::unlink(temp.c_str());
        return ErreurChiffrement(Utf8VersCp1252(debut) + NomCp(nom) + " : " + ErreurSysteme(err));
    };
    if (surPlace && ::fchmod(sortie.fd, mode) != 0) throw echec("Erreur d'écriture du fichier ", nomSortie, errno);

    std::array<char, TaillePiece> piece;
    ReinitialiserFeedback();
    for (;;) {
        const ssize_t lus = ::read(entree.fd, piece.data(), piece.size());
        if (lus < 0) {
            if (errno == EINTR) continue;
            throw echec("Erreur de lecture du fichier ", source, errno);
        }
        if (lus == 0) break;
        DecodeBuffer(piece.data(), piece.data(), std::size_t(lus));
        std::size_t ecrits = 0;
        while (ecrits < std::size_t(lus)) {
            const ssize_t n = ::write(sortie.fd, piece.data() + ecrits, std::size_t(lus) - ecrits);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw echec("Erreur d'écriture du fichier ", nomSortie, errno);
            }
            ecrits += std::size_t(n);
        }
    }
    ReinitialiserFeedback();
    if (::fsync(sortie.fd) != 0) throw echec("Erreur d'écriture du fichier ", nomSortie, errno);
    if (::close(std::exchange(sortie.fd, -1)) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw ErreurChiffrement("Erreur d'écriture du fichier "_cp + NomCp(nomSortie) + " : " + ErreurSysteme(err));
    }
    if (::rename(temp.c_str(), cible.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw ErreurChiffrement("Impossible de créer le fichier "_cp + NomCp(nomSortie) + " : " + ErreurSysteme(err));
    }
}

}  // namespace vaskor
