#include "mail/corps.h"
#include "mail/echec.h"
#include "mail/message.h"
#include "support/outils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace vaskor;
using ::testing::ElementsAre;

namespace {

// A raw message (lines at LF) read as a retrieval would hand it over: dot-stuffed.
TIdMessage Lire(std::string_view brut, LimitesCorps limites = {})
{
    TIdMessage m;
    LecteurMessage lecteur(m, limites);
    std::size_t debut = 0;
    while (debut < brut.size()) {
        std::size_t fin = brut.find('\n', debut);
        if (fin == std::string_view::npos) fin = brut.size();
        std::string l(brut.substr(debut, fin - debut));
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (!l.empty() && l[0] == '.') l.insert(0, ".");
        lecteur.Ligne(l);
        debut = fin + 1;
    }
    lecteur.Terminer();
    return m;
}

std::string Contenu(const TPartie& p) { return test::LireTout(p.Fichier->Chemin()); }

struct Attendu {
    GenrePartie genre;
    std::string typeOuNom;  // text part: its first body line; attachment: its file name
    std::string contenu;    // attachment bytes
};

struct CasMime {
    const char* nom;
    const char* message;
    std::vector<Attendu> parties;
    std::vector<std::string> corps;
};

const CasMime kCas[] = {
    {"nested-alternative-and-encoded-filename",
     "Content-Type: multipart/mixed; boundary=\"ext\"\n\npreambule\n--ext\n"
     "Content-Type: multipart/alternative; boundary=int\n\nignore\n--int\nContent-Type: text/plain\n\nbonjour\n"
     "--int\nContent-Type: text/html\n\n<p>bonjour</p>\n--int--\n--ext\nContent-Type: application/octet-stream\n"
     "Content-Disposition: attachment;\n filename=\"=?ISO-8859-1?Q?r=E9union.txt?=\"\nContent-Transfer-Encoding: base64\n\n"
     "cmFw\ncG9ydA==\n--ext--\nepilogue\n",
     {{GenrePartie::Texte, "bonjour", ""}, {GenrePartie::Texte, "<p>bonjour</p>", ""},
      {GenrePartie::PieceJointe, "r\xC3\xA9union.txt", "rapport"}},
     {"preambule", "epilogue"}},
    {"name-only-in-content-type",
     "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain; name=\"notes.txt\"\n\nligne\n--b--\n",
     {{GenrePartie::PieceJointe, "notes.txt", "ligne\r\n"}},
     {}},
    {"top-level-8bit-parts-decide-their-own-decoding",
     "Content-Type: multipart/mixed; boundary=b\nContent-Transfer-Encoding: 8bit\n\n--b\n"
     "Content-Type: text/plain\nContent-Transfer-Encoding: quoted-printable\n\nco=C3=BBt =\nsuite\n--b--\n",
     {{GenrePartie::Texte, "co\xC3\xBBt suite", ""}},
     {}},
    {"two-hyphens-without-boundary", "Subject: x\n\navant\n--\napres\n", {}, {"avant", "--", "apres"}},
    {"inline-without-name-is-text",
     "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Disposition: inline\n\ntexte\n--b--\n",
     {{GenrePartie::Texte, "texte", ""}},
     {}},
    {"leading-dots-unstuffed", "Subject: x\n\n..deux\n.un\n", {}, {"..deux", ".un"}},
    {"missing-closing-boundary",
     "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nsans fin\n",
     {{GenrePartie::Texte, "sans fin", ""}},
     {}},
    {"inner-level-never-closed",
     "Content-Type: multipart/mixed; boundary=o\n\n--o\nContent-Type: multipart/alternative; boundary=i\n\n--i\n"
     "Content-Type: text/plain\n\nun\n--o\nContent-Type: text/plain; name=a.txt\n\ndeux\n--o--\n",
     {{GenrePartie::Texte, "un", ""}, {GenrePartie::PieceJointe, "a.txt", "deux\r\n"}},
     {}},
    {"uuencode-inside-text", "Subject: x\n\nvoici\nbegin 644 a.txt\n#86)C\n`\nend\nfin\n",
     {{GenrePartie::PieceJointe, "a.txt", "abc"}},
     {"voici", "fin"}},
    {"xxencode-inside-text", "Subject: x\n\nbegin 644 b.txt\n1MK7X\n+\nend\n",
     {{GenrePartie::PieceJointe, "b.txt", "abc"}},
     {}},
    {"rfc2231-pieces",
     "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: application/pdf\n"
     "Content-Disposition: attachment; filename*0*=UTF-8''na%C3%AF; filename*1=\"ve.\"; filename*2=pdf\n\nx\n--b--\n",
     {{GenrePartie::PieceJointe, "na\xC3\xAFve.pdf", "x\r\n"}},
     {}},
    {"single-part-base64-uses-message-header",
     "Content-Type: text/html\nContent-Transfer-Encoding: base64\n\nPGI+\nPC9iPg==\n",
     {{GenrePartie::Texte, "<b></b>", ""}},
     {}},
    {"inline-picture-is-a-file",
     "Content-Type: multipart/related; boundary=b\n\n--b\nContent-Type: image/png\nContent-Disposition: inline\n"
     "Content-Transfer-Encoding: base64\n\nAAEC\n--b--\n",
     {{GenrePartie::PieceJointe, "", std::string("\0\1\2", 3)}},
     {}},
};

}  // namespace

TEST(DecodeurCorps, EdgeCasesOfTheMimeWalk)
{
    for (const CasMime& cas : kCas) {
        SCOPED_TRACE(cas.nom);
        const TIdMessage m = Lire(cas.message);
        EXPECT_EQ(m.Body, cas.corps);
        ASSERT_EQ(m.MessageParts.size(), cas.parties.size());
        for (std::size_t i = 0; i < cas.parties.size(); ++i) {
            const TPartie& p = m.MessageParts[i];
            const Attendu& a = cas.parties[i];
            EXPECT_EQ(p.Genre, a.genre) << i;
            if (a.genre == GenrePartie::Texte) {
                ASSERT_FALSE(p.Body.empty());
                EXPECT_EQ(p.Body[0], a.typeOuNom);
            } else {
                EXPECT_EQ(p.FileName, a.typeOuNom);
                EXPECT_EQ(Contenu(p), a.contenu);
                EXPECT_EQ(p.Taille, static_cast<std::int64_t>(a.contenu.size()));
            }
        }
    }
}

TEST(DecodeurCorps, AttachmentsLiveInAPrivateFolderAndGoWithTheirMessage)
{
    std::filesystem::path fichier;
    {
        TIdMessage m = Lire("Subject: x\n\nbegin 600 a\n#86)C\n`\nend\n");
        ASSERT_EQ(m.MessageParts.size(), 1u);
        fichier = m.MessageParts[0].Fichier->Chemin();
        struct stat st {};
        ASSERT_EQ(::stat(fichier.parent_path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_TRUE(std::filesystem::exists(fichier));
        m.Clear();
        EXPECT_FALSE(std::filesystem::exists(fichier));
    }
}

TEST(DossierTemporairePrive, TheFolderOfAGoneProcessIsRemovedAndALiveOnesKept)
{
    // The first call made this process's folder already (or makes it now); the clean-up runs
    // when the folder is made, so a fresh one is forced by removing it.
    const std::filesystem::path racine = DossierTemporairePrive().parent_path();
    const std::filesystem::path mort = racine / "vaskor-pj-999999999-abcdef";
    const std::filesystem::path vivant = racine / ("vaskor-pj-" + std::to_string(::getppid()) + "-abcdef");
    std::filesystem::create_directories(mort / "x");
    std::filesystem::create_directories(vivant);
    std::filesystem::remove_all(DossierTemporairePrive());
    (void)DossierTemporairePrive();
    EXPECT_FALSE(std::filesystem::exists(mort));
    EXPECT_TRUE(std::filesystem::exists(vivant));
    std::filesystem::remove_all(vivant);
}

TEST(DecodeurCorps, AHostileMessageMeetsItsLimits)
{
    LimitesCorps limites;
    limites.TexteMax = 4096;
    limites.PiecesJointesMax = 3000;
    limites.PartiesMax = 2;
    limites.ProfondeurMax = 3;
    std::string texte = "Subject: x\n\n" + std::string(5000, 'a') + "\n";
    EXPECT_THROW(Lire(texte, limites), Echec);
    std::string pj = "Subject: x\n\nbegin 644 a\n";
    for (int i = 0; i < 100; ++i) pj += "M" + std::string(60, 'A') + "\n";
    EXPECT_THROW(Lire(pj + "end\n", limites), Echec);
    std::string parties = "Content-Type: multipart/mixed; boundary=b\n\n";
    for (int i = 0; i < 10; ++i) parties += "--b\nContent-Type: text/plain; name=f\n\nx\n";
    EXPECT_EQ(Lire(parties, limites).MessageParts.size(), 2u);
    std::string profond = "Content-Type: multipart/mixed; boundary=b0\n\n";
    for (int i = 1; i < 10; ++i)
        profond += "--b" + std::to_string(i - 1) + "\nContent-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n";
    profond += "--b9\nContent-Type: text/plain\n\nfond\n";
    EXPECT_NO_THROW(Lire(profond, limites));
}

TEST(NomFichierSur, HostileNamesBecomeOneFileInTheChosenFolder)
{
    const std::pair<const char*, const char*> cas[] = {
        {"../../.bashrc", "bashrc"},
        {"..\\..\\Windows\\system.ini", "system.ini"},
        {"/etc/passwd", "passwd"},
        {"..", "piece-jointe"},
        {"", "piece-jointe"},
        {"...", "piece-jointe"},
        {" .cache ", "cache"},
        {"a\nb\r\x1b[31mc.txt", "ab[31mc.txt"},
        {"CON", "piece-jointe"},
        {"nul.txt", "piece-jointe.txt"},
        {"com1", "piece-jointe"},
        {"rapport?.pdf", "rapport_.pdf"},
        {"r\xC3\xA9union.txt", "r\xC3\xA9union.txt"},
        {"r\xE9union.txt", "r\xC3\xA9union.txt"},
        {"fin.", "fin"},
    };
    for (const auto& [nom, attendu] : cas) EXPECT_EQ(NomFichierSur(nom), attendu) << nom;
    const TexteUtf8 long_ = NomFichierSur(std::string(300, 'x') + ".pdf");
    EXPECT_EQ(long_.size(), 200u);
    EXPECT_EQ(long_.substr(196), ".pdf");
}

TEST(ParametresMime, QuotesEncodedWordsAndRfc2231)
{
    auto p = ParametresMime("attachment; filename=\"a \\\"b\\\".txt\"; size=12");
    EXPECT_EQ(p["filename"], "a \"b\".txt");
    EXPECT_EQ(p["size"], "12");
    p = ParametresMime("attachment; filename*=iso-8859-1'fr'r%E9sum%E9.txt; filename=\"x.txt\"");
    EXPECT_EQ(p["filename"], "r\xC3\xA9sum\xC3\xA9.txt");
    p = ParametresMime("text/plain; name==?utf-8?B?44Gm44GZ44GoLnR4dA==?=");
    EXPECT_EQ(p["name"], "\xE3\x81\xA6\xE3\x81\x99\xE3\x81\xA8.txt");
}

TEST(VersUtf8, TextReadsThroughItsCharset)
{
    EXPECT_EQ(VersUtf8("r\xC3\xA9union", "utf-8"), "r\xC3\xA9union");
    EXPECT_EQ(VersUtf8("r\xE9union", "ISO-8859-15"), "r\xC3\xA9union");
    EXPECT_EQ(VersUtf8("\xF0\xD2\xC9\xD7\xC5\xD4", "KOI8-R"), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    EXPECT_EQ(VersUtf8("\x93oui\x94", ""), "\xE2\x80\x9Coui\xE2\x80\x9D");
    EXPECT_EQ(VersUtf8("\x93oui\x94", "x-inconnu"), "\xE2\x80\x9Coui\xE2\x80\x9D");
    EXPECT_EQ(VersUtf8("\x82\xA0", "Shift_JIS"), "\xE3\x81\x82");
}

TEST(DecodeurCorps, CorpusDecodesWithSafeAttachmentNames)
{
    const auto partage = test::DossierPartage();
    if (partage.empty() || !std::filesystem::is_directory(partage / "corpus"))
        GTEST_SKIP() << "no shared folder with a corpus beside the repository: MIME decoding not checked";
    int messages = 0, pieces = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(partage / "corpus")) {
        if (!e.is_regular_file() || e.path().extension() != ".eml") continue;
        SCOPED_TRACE(e.path().string());
        const auto debut = std::chrono::steady_clock::now();
        TIdMessage m;
        ASSERT_NO_THROW(m = Lire(test::LireTout(e.path())));
        EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(2));
        ++messages;
        for (const TPartie& p : m.MessageParts) {
            if (p.Genre != GenrePartie::PieceJointe) continue;
            ++pieces;
            const TexteUtf8 sur = NomFichierSur(p.FileName);
            EXPECT_FALSE(sur.empty());
            EXPECT_EQ(sur.find_first_of("/\\"), std::string::npos) << sur;
            EXPECT_NE(sur[0], '.') << sur;
            for (unsigned char c : sur) EXPECT_GE(c, 0x20) << sur;
            EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(p.Fichier->Chemin())), p.Taille);
        }
    }
    EXPECT_GT(messages, 100);
    EXPECT_GT(pieces, 20);
}
