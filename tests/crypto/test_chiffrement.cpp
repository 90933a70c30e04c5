#include "crypto/chiffrement.h"
#include "crypto/mime64.h"
#include "support/outils.h"

#include <cryptopp/ripemd.h>
#include <cryptopp/twofish.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace vaskor;
namespace fs = std::filesystem;

namespace {

std::string DepuisHex(std::string_view hex)
{
    std::string r;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) r += char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return r;
}

const CryptoPP::byte* Octets(const std::string& s) { return reinterpret_cast<const CryptoPP::byte*>(s.data()); }

std::string Twofish256(const std::string& cle, const std::string& bloc)
{
    CryptoPP::Twofish::Encryption e(Octets(cle), cle.size());
    std::string r(16, '\0');
    e.ProcessBlock(Octets(bloc), reinterpret_cast<CryptoPP::byte*>(r.data()));
    return r;
}

std::string Ripemd256(const std::string& s)
{
    std::string r(32, '\0');
    CryptoPP::RIPEMD256().CalculateDigest(reinterpret_cast<CryptoPP::byte*>(r.data()), Octets(s), s.size());
    return r;
}

std::string Xor(const std::string& a, const std::string& b, std::size_t n)
{
    std::string r(n, '\0');
    for (std::size_t i = 0; i < n; ++i) r[i] = char(a[i] ^ b[i]);
    return r;
}

std::string Suite(std::size_t n, int graine = 0)
{
    std::string r;
    for (std::size_t i = 0; i < n; ++i) r += char((i * 37 + 11 + graine) & 0xFF);
    return r;
}

}  // namespace

TEST(Primitives, Twofish256AndRipemd256GiveThePublishedVectors)
{
    EXPECT_EQ(Twofish256(std::string(32, '\0'), std::string(16, '\0')), DepuisHex("57FF739D4DC92C1BD7FC01700CC8216F"));
    EXPECT_EQ(Twofish256(DepuisHex("0123456789ABCDEFFEDCBA987654321000112233445566778899AABBCCDDEEFF"),
                         std::string(16, '\0')),
              DepuisHex("37527BE0052334B89F0CFCCAE87CFA20"));
    EXPECT_EQ(Twofish256(DepuisHex("248A7F3528B168ACFDD1386E3F51E30C2E2158BC3E5FC714C1EEECA0EA696D48"),
                         DepuisHex("431058F4DBC7F734DA4F02F04CC4F459")),
              DepuisHex("37FE26FF1CF66175F5DDF4C33B97A205"));

    const std::pair<const char*, const char*> empreintes[] = {
        {"", "02ba4c4e5f8ecd1877fc52d64d30e37a2d9774fb1e5d026380ae0168e3c5522d"},
        {"a", "f9333e45d857f5d90a91bab70a1eba0cfb1be4b0783c9acfcd883a9134692925"},
        {"abc", "afbd6e228b9d8cbbcef5ca2d03e6dba10ac0bc7dcbe4680e1e42d2e975459b65"},
        {"message digest", "87e971759a1ce47a514d5c914c392c9018c7c46bc14465554afcdf54a5070c0e"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "06fdcc7a409548aaf91368c06a6275b553e3f099bf0ea4edfd6778df89a890dd"},
    };
    for (const auto& [texte, hex] : empreintes) EXPECT_EQ(Ripemd256(texte), DepuisHex(hex)) << texte;
}

TEST(TCipherManager, ChainsBlocksFromTheDigestKeyAndTheEncipheredAllOnesVector)
{
    // Rebuilt here from the two primitives alone: the key is the digest of the key text, the
    // vector E(FF..FF), a whole block C = E(P xor F) with F = C xor F after it, and a partial
    // block xored with E(F).
    const std::string cle = Ripemd256("52918_QUALBERIN");
    const std::string V = Twofish256(cle, std::string(16, '\xFF'));
    const std::string clair = "Un mot de passe!" "abcd";  // one whole block and 4 bytes
    const std::string C1 = Twofish256(cle, Xor(clair, V, 16));
    const std::string F = Xor(C1, V, 16);
    const std::string S = Twofish256(cle, F);
    const std::string attendu = C1 + Xor(clair.substr(16), S, 4);

    TCipherManager c;
    c.InitKey("52918_QUALBERIN");
    EXPECT_EQ(c.EncodeString(clair), EncoderMime64(attendu));
    // A text shorter than a block is only xored with E(E(FF..FF)).
    EXPECT_EQ(c.EncodeString("abc"), EncoderMime64(Xor("abc", Twofish256(cle, V), 3)));
    // The stored form of a password under the accounts file's key, kept as a fixed answer.
    EXPECT_EQ(c.EncodeString("secret"), "q88TR9A2");
    EXPECT_EQ(c.DecodeString("q88TR9A2"), "secret");
}

TEST(TCipherManager, EmptyTextsStayEmptyAndLengthsArePreserved)
{
    TCipherManager c;
    c.InitKey("cl\xE9");
    EXPECT_EQ(c.EncodeString(""), "");
    EXPECT_EQ(c.DecodeString(""), "");
    for (std::size_t n = 1; n <= 120; ++n) {
        const std::string x = Suite(n);
        const std::string code = c.EncodeString(x);
        EXPECT_EQ(code.size(), 4 * ((n + 2) / 3)) << n;
        EXPECT_EQ(DecoderMime64(code)->size(), n) << n;
        EXPECT_EQ(c.DecodeString(code), x) << n;
    }
}

TEST(TCipherManager, EqualTextsGiveEqualCipherTextsWhateverWasEncipheredInBetween)
{
    TCipherManager c;
    c.InitKey("52918_QUALBERIN");
    const std::string a = c.EncodeString("motdepasse");
    c.EncodeString(Suite(77));
    c.DecodeString(c.EncodeString(Suite(5000)));
    EXPECT_EQ(c.EncodeString("motdepasse"), a);
    // Strings decipher in any order.
    const std::string b = c.EncodeString("autre");
    EXPECT_EQ(c.DecodeString(b), "autre");
    EXPECT_EQ(c.DecodeString(a), "motdepasse");
}

TEST(TCipherManager, AChangeInAWholeBlockSpreadsForwardButAChangeInThePartialBlockStaysPut)
{
    TCipherManager c;
    c.InitKey("k");
    const std::string x = Suite(16 * 3 + 7);
    std::string chiffre = x;
    c.ReinitialiserFeedback();
    c.EncodeBuffer(chiffre.data(), chiffre.data(), chiffre.size());

    std::string y = x;
    y[20] ^= 1;  // second block
    std::string chiffreY = y;
    c.ReinitialiserFeedback();
    c.EncodeBuffer(chiffreY.data(), chiffreY.data(), chiffreY.size());
    EXPECT_EQ(chiffreY.substr(0, 16), chiffre.substr(0, 16));
    for (std::size_t bloc = 1; bloc < 3; ++bloc)
        EXPECT_NE(chiffreY.substr(16 * bloc, 16), chiffre.substr(16 * bloc, 16)) << bloc;
    EXPECT_NE(chiffreY.substr(48), chiffre.substr(48));

    std::string z = x;
    z[50] ^= 0x40;  // inside the final 7 bytes
    std::string chiffreZ = z;
    c.ReinitialiserFeedback();
    c.EncodeBuffer(chiffreZ.data(), chiffreZ.data(), chiffreZ.size());
    for (std::size_t i = 0; i < chiffre.size(); ++i) {
        if (i == 50)
            EXPECT_EQ(std::uint8_t(chiffreZ[i] ^ chiffre[i]), 0x40);
        else
            EXPECT_EQ(chiffreZ[i], chiffre[i]) << i;
    }
}

TEST(TCipherManager, TheChainingCarriesAcrossPiecesCutOnBlockBoundaries)
{
    TCipherManager c;
    c.InitKey("k");
    const std::string x = Suite(100);
    std::string entier = x;
    c.ReinitialiserFeedback();
    c.EncodeBuffer(entier.data(), entier.data(), entier.size());
    std::string morceaux(x.size(), '\0');
    c.ReinitialiserFeedback();
    c.EncodeBuffer(x.data(), morceaux.data(), 32);
    c.EncodeBuffer(x.data() + 32, morceaux.data() + 32, 68);
    EXPECT_EQ(morceaux, entier);

    std::string retour(x.size(), '\0');
    c.ReinitialiserFeedback();
    c.DecodeBuffer(entier.data(), retour.data(), 48);
    c.DecodeBuffer(entier.data() + 48, retour.data() + 48, 52);
    EXPECT_EQ(retour, x);
}

TEST(TCipherManager, KeyTextsOfAnyLengthGiveDifferentWorkingKeys)
{
    const std::string longue(80, 'x');
    TCipherManager a, b, c;
    a.InitKey(longue);
    b.InitKey("x");
    c.InitKey("");
    const std::string clair = Suite(40);
    EXPECT_NE(a.EncodeString(clair), b.EncodeString(clair));
    EXPECT_NE(b.EncodeString(clair), c.EncodeString(clair));
    EXPECT_EQ(a.DecodeString(a.EncodeString(clair)), clair);
    EXPECT_EQ(c.DecodeString(c.EncodeString(clair)), clair);
    // A wrong key is not detected: other bytes of the same length come back.
    const std::string faux = b.DecodeString(a.EncodeString(clair));
    EXPECT_EQ(faux.size(), clair.size());
    EXPECT_NE(faux, clair);

    // Only the digest matters: a key text longer than 32 bytes is not cut.
    TCipherManager d;
    d.InitKey(longue + "y");
    EXPECT_NE(d.EncodeString(clair), a.EncodeString(clair));
}

TEST(TCipherManager, AGivenInitialVectorReplacesTheEncipheredAllOnes)
{
    const std::string cle = Ripemd256("k");
    TCipherManager c;
    TCipherManager::Bloc iv{};
    for (std::size_t i = 0; i < iv.size(); ++i) iv[i] = std::uint8_t(i);
    c.InitKey("k", iv);
    const std::string ivTexte(reinterpret_cast<const char*>(iv.data()), iv.size());
    EXPECT_EQ(c.EncodeString("abc"), EncoderMime64(Xor("abc", Twofish256(cle, ivTexte), 3)));
}

TEST(TCipherManager, BlanksAndLineBreaksInTheBase64AreSkippedAndOtherCharactersRefused)
{
    TCipherManager c;
    c.InitKey("k");
    const std::string clair = Suite(30);
    const std::string code = c.EncodeString(clair);
    std::string aere;
    for (std::size_t i = 0; i < code.size(); ++i) {
        aere += code[i];
        if (i % 4 == 3) aere += (i % 8 == 3) ? "\r\n" : " \t";
    }
    EXPECT_EQ(c.DecodeString(aere), clair);
    EXPECT_EQ(c.DecodeString("(" + code + ")-_;:"), clair);

    for (const std::string& mauvais : {code.substr(0, 8) + "#" + code.substr(8), code + "\xE9", std::string("AB.C")}) {
        try {
            c.DecodeString(mauvais);
            ADD_FAILURE() << "accepted " << mauvais;
        } catch (const ErreurChiffrement& e) {
            EXPECT_EQ(e.Message(), "Input is not an valid MIME Base 64 Format.");
        }
    }
}

TEST(Mime64, PaddingIsOptionalAtTheEndAndEachEqualsSignDropsOneByte)
{
    EXPECT_EQ(EncoderMime64(""), "");
    EXPECT_EQ(EncoderMime64("M"), "TQ==");
    EXPECT_EQ(EncoderMime64("Ma"), "TWE=");
    EXPECT_EQ(EncoderMime64("Man"), "TWFu");
    EXPECT_EQ(EncoderMime64("\xFF\xFE\xFD"), "//79");

    EXPECT_EQ(*DecoderMime64("TWFu"), "Man");
    EXPECT_EQ(*DecoderMime64("TWE="), "Ma");
    EXPECT_EQ(*DecoderMime64("TWE"), "Ma");
    EXPECT_EQ(*DecoderMime64("TQ=="), "M");
    EXPECT_EQ(*DecoderMime64("TQ"), "M");
    EXPECT_EQ(*DecoderMime64("T"), "");
    EXPECT_EQ(*DecoderMime64("TQ==TWE="), "MMa");
    EXPECT_EQ(*DecoderMime64(" T W F u\r\n"), "Man");
    EXPECT_EQ(*DecoderMime64("===="), "");
    EXPECT_FALSE(DecoderMime64(std::string_view("TW\0u", 4)).has_value());
    EXPECT_FALSE(DecoderMime64("TWF!").has_value());
}

TEST(TCipherManager, RefusesToWorkBeforeAKeyIsSet)
{
    TCipherManager c;
    EXPECT_FALSE(c.CleDefinie());
    char octets[4] = {};
    try {
        c.EncodeBuffer(octets, octets, 4);
        ADD_FAILURE();
    } catch (const ErreurChiffrement& e) {
        EXPECT_EQ(e.Message(), "TCipher_Twofish is not initialized call Init() or InitKey() before.");
    }
    EXPECT_THROW(c.DecodeBuffer(octets, octets, 4), ErreurChiffrement);
    EXPECT_THROW(c.EncodeString("x"), ErreurChiffrement);
}

TEST(TCipherManager, DecodeFileDeciphersIntoAnotherFileOrInPlace)
{
    test::DossierTemporaire d;
    TCipherManager c;
    c.InitKey("cl\xE9 de l'aper\xE7u");
    const std::string clair = Suite(10000, 3);  // more than two pieces, ending in a partial block
    std::string chiffre = clair;
    c.ReinitialiserFeedback();
    c.EncodeBuffer(chiffre.data(), chiffre.data(), chiffre.size());
    c.ReinitialiserFeedback();

    const auto source = d.Chemin() / "piece.crp";
    const auto cible = d.Chemin() / "piece.txt";
    test::EcrireTout(source, chiffre);
    test::EcrireTout(cible, std::string(20000, 'z'));  // replaced, and cut to what was written
    c.DecodeFile(source, cible);
    EXPECT_EQ(test::LireTout(cible), clair);
    EXPECT_EQ(test::LireTout(source), chiffre);

    c.DecodeFile(source, " \t");
    EXPECT_EQ(test::LireTout(source), clair);

    test::EcrireTout(source, chiffre);
    c.DecodeFile(source, source);
    EXPECT_EQ(test::LireTout(source), clair);

    // The feedback is back at the vector afterwards: strings are unaffected.
    EXPECT_EQ(c.DecodeString(c.EncodeString("abc")), "abc");

    EXPECT_THROW(c.DecodeFile(d.Chemin() / "absent", cible), ErreurChiffrement);
    EXPECT_THROW(c.DecodeFile(source, d.Chemin() / "absent" / "x"), ErreurChiffrement);
    EXPECT_EQ(test::LireTout(source), clair);
}

TEST(TCipherManager, DecodeFileThatFailsHalfWayLeavesTheSourceAndTheOldDestinationAsTheyWere)
{
    test::DossierTemporaire d;
    TCipherManager c;
    c.InitKey("k");
    const std::string chiffre = Suite(10000, 7);
    const auto source = d.Chemin() / "piece.crp";
    const auto cible = d.Chemin() / "piece.txt";
    test::EcrireTout(source, chiffre);
    test::EcrireTout(cible, "ancienne version");
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);

    {
        // Files cannot grow past 5000 bytes, as on a full disk: the write fails half-way.
        const auto ancienSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit ancienne{};
        getrlimit(RLIMIT_FSIZE, &ancienne);
        rlimit limite = ancienne;
        limite.rlim_cur = 5000;
        setrlimit(RLIMIT_FSIZE, &limite);
        EXPECT_THROW(c.DecodeFile(source, cible), ErreurChiffrement);
        EXPECT_THROW(c.DecodeFile(source, source), ErreurChiffrement);
        setrlimit(RLIMIT_FSIZE, &ancienne);
        std::signal(SIGXFSZ, ancienSignal);
    }
    EXPECT_EQ(test::LireTout(cible), "ancienne version");
    EXPECT_EQ(test::LireTout(source), chiffre);
    EXPECT_EQ(std::distance(fs::directory_iterator(d.Chemin()), {}), 2);  // no temporary left

    // In place through a link: the file it names is deciphered, and keeps its permissions.
    fs::create_symlink(source, d.Chemin() / "lien.crp");
    c.DecodeFile(d.Chemin() / "lien.crp", "");
    EXPECT_TRUE(fs::is_symlink(d.Chemin() / "lien.crp"));
    EXPECT_EQ(fs::status(source).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    c.ReinitialiserFeedback();
    std::string clair = chiffre;
    c.DecodeBuffer(clair.data(), clair.data(), clair.size());
    c.ReinitialiserFeedback();
    EXPECT_EQ(test::LireTout(source), clair);
}
