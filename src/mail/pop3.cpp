#include "mail/pop3.h"

#include "core/secret.h"

#include "mail/echec.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace vaskor {

namespace {

// Each receive takes up to this many bytes at once.
constexpr std::size_t kTailleReception = 32768;

// A decimal integer, blanks allowed before it only.
std::optional<std::int64_t> LireEntier(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negatif = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negatif = s[i++] == '-';
    if (i == s.size()) return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        if (__builtin_mul_overflow(v, 10, &v) || __builtin_add_overflow(v, s[i] - '0', &v)) return std::nullopt;
    }
    return negatif ? -v : v;
}

// A failure that leaves the session out of step with the server (a deadline passed, a listing
// without end): it is never absorbed as an unreadable answer.
class EchecSession : public Echec {
public:
    explicit EchecSession(Texte message) : Echec(GenreEchec::Autre, std::move(message)) {}
};

// What a deadline's message names: the command without its argument for the login ones.
Texte NomCommande(std::string_view commande)
{
    if (commande.rfind("USER", 0) == 0 || commande.rfind("PASS", 0) == 0) return Texte(commande.substr(0, 4));
    return Texte(commande);
}

// "1 120" gives 120: the text after the first space, or the whole text when there is none.
std::string_view ApresPremierEspace(std::string_view s)
{
    const auto esp = s.find(' ');
    return esp == std::string_view::npos ? s : s.substr(esp + 1);
}

}  // namespace

TIdPOP3::~TIdPOP3()
{
    if (transport_) transport_->Fermer();
}

void TIdPOP3::Statut(StatutPop3 code, const Texte& texte)
{
    if (OnStatus) OnStatus(code, texte);
}

void TIdPOP3::VerifierConnecte()
{
    if (!transport_ || !transport_->EstOuvert()) throw Echec(GenreEchec::Autre, "Non connecté."_cp);
}

void TIdPOP3::Envoyer(std::string_view commande)
{
    // The PASS line holds the password in clear: the line is wiped however the send ends.
    TexteSecret ligne = TexteSecret::Concatener(commande, "\r\n");
    transport_->Envoyer(ligne, DelaiLectureMaxMs, Attente);
}

void TIdPOP3::DebutReponse(std::string_view commande, std::int64_t delaiMs)
{
    commandeEnCours_ = NomCommande(commande);
    echeanceReponse_ = delaiMs > 0 ? Horloge::now() + std::chrono::milliseconds(delaiMs) : Horloge::time_point::max();
}

void TIdPOP3::Expirer(bool session)
{
    // Part of a reply may still come: the stream is out of step, the session is over.
    lecteur_.SignalerFin();
    if (session)
        throw EchecSession("La session a dépassé sa durée maximale de "_cp +
                           std::to_string((std::chrono::duration_cast<std::chrono::milliseconds>(echeanceSession_ - ouverture_).count() + 999) / 1000) +
                           " s.");
    throw EchecSession("Le serveur n'a pas fini de répondre à "_cp + commandeEnCours_ + " en " +
                       std::to_string((DelaiReponseMs + 999) / 1000) + " s.");
}

std::string_view TIdPOP3::LireLigne()
{
    std::string_view ligne;
    while (!lecteur_.LireLigne(ligne)) {
        // The wait for the next bytes stops at the nearer of the reply's and the session's
        // deadlines, so a server that drips one byte at a time is cut off too.
        int delai = DelaiLectureMaxMs;
        const bool parSession = echeanceSession_ < echeanceReponse_;
        const Horloge::time_point echeance = parSession ? echeanceSession_ : echeanceReponse_;
        bool parEcheance = false;
        if (echeance != Horloge::time_point::max()) {
            const auto reste =
                std::chrono::duration_cast<std::chrono::milliseconds>(echeance - Horloge::now()).count();
            if (reste <= 0) Expirer(parSession);
            if (delai <= 0 || reste < delai) {
                delai = static_cast<int>(reste);
                parEcheance = true;
            }
        }
        char* p = lecteur_.Reserver(kTailleReception);
        std::size_t n = 0;
        try {
            n = transport_->Recevoir(p, kTailleReception, delai, Attente);
        } catch (const Echec& e) {
            if (e.Message() == kTexteServeurMuet && parEcheance) Expirer(parSession);
            // A socket error leaves the connection dead, as a closing by the server would; a
            // silent server leaves it as it is.
            if (e.Message() != kTexteServeurMuet) lecteur_.SignalerFin();
            throw;
        }
        if (n == 0) {
            lecteur_.SignalerFin();
        } else {
            lecteur_.Valider(n);
            if (baseTravail_ >= 0 && OnWork) OnWork(static_cast<std::int64_t>(lecteur_.TotalRecu()) - baseTravail_);
        }
    }
    return ligne;
}

const ReponsePop3& TIdPOP3::LireReponse(bool seulementOk, bool multiligne)
{
    analyseur_.Recommencer();
    while (!analyseur_.AjouterLigne(LireLigne())) {
    }
    try {
        derniere_ = &analyseur_.Resultat();
    } catch (const Echec&) {
        // A status word that cannot be read was still read whole: a one-line reply is over.
        if (!multiligne) enPhase_ = true;
        throw;
    }
    // An error reply has no lines after it.
    if (!multiligne || derniere_->Code != 1) enPhase_ = true;
    if (seulementOk && derniere_->Code != 1) {
        Texte message = derniere_->Message();
        // Some servers answer a bare "-ERR" (an empty password, for one): the user still needs to
        // read who refused and that no reason was given, not an empty box.
        if (message.find_first_not_of(" \t\r\n") == Texte::npos)
            message = "Le serveur " + Host + " a refus\xE9 sans donner de raison.\r\n";
        throw Echec(GenreEchec::ReponseErreur, message, derniere_->Code);
    }
    return *derniere_;
}

const ReponsePop3& TIdPOP3::Commande(std::string_view commande, bool seulementOk, bool multiligne)
{
    DebutReponse(commande, DelaiReponseMs);
    enPhase_ = false;
    Envoyer(commande);
    return LireReponse(seulementOk, multiligne);
}

void TIdPOP3::FermerTransport()
{
    if (transport_) transport_->Fermer();
    transport_.reset();
    lecteur_.Vider();
    sortie_.clear();
    reponsesDues_ = 0;
    pipelining_ = -1;
}

bool TIdPOP3::Pipelining()
{
    if (!PipeliningPermis) return false;
    if (pipelining_ >= 0) return pipelining_ == 1;
    VerifierConnecte();
    pipelining_ = 0;
    if (Commande("CAPA", false, true).Code != 1) return false;
    for (;;) {
        const std::string_view l = LireLigne();
        if (l == ".") break;
        const std::string_view mot = Rogner(l).substr(0, Rogner(l).find_first_of(" \t"));
        if (EgalSansCasse(mot, "PIPELINING")) pipelining_ = 1;
    }
    enPhase_ = true;
    return pipelining_ == 1;
}

void TIdPOP3::EnvoyerSansAttendre(std::string_view commande)
{
    sortie_.append(commande).append("\r\n");
    ++reponsesDues_;
}

void TIdPOP3::Expedier()
{
    if (sortie_.empty()) return;
    VerifierConnecte();
    std::string paquet;
    paquet.swap(sortie_);
    transport_->Envoyer(paquet, DelaiLectureMaxMs, Attente);
}

void TIdPOP3::DebutTravail() { baseTravail_ = static_cast<std::int64_t>(lecteur_.TotalConsomme()); }

void TIdPOP3::FinTravail()
{
    if (baseTravail_ >= 0 && OnWork) OnWork(static_cast<std::int64_t>(lecteur_.TotalConsomme()) - baseTravail_);
    baseTravail_ = -1;
}

void TIdPOP3::OpenSession()
{
    if (IsConnected()) throw Echec(GenreEchec::Autre, "Déjà connecté."_cp);
    if (!Fabrique) throw Echec(GenreEchec::Autre, "Aucun moyen de se connecter."_cp);
    transport_ = Fabrique();
    lecteur_.Vider();
    derniere_ = &vide_;
    suppressionsSession_ = 0;
    echeanceSession_ = Horloge::time_point::max();
    enPhase_ = true;

    ParametresConnexion p;
    p.hote = Host;
    p.port = Port == 0 ? 110 : Port;
    p.delaiMs = DelaiConnexionMs;
    p.attente = Attente;
    p.avantResolution = [this](const Texte& hote) {
        Statut(StatutPop3::Resolution, "Resolution du nom d'hôte "_cp + hote + ".");
    };
    p.avantConnexion = [this](const Texte& adresse) {
        Statut(StatutPop3::Connexion, "Connexion en cours à "_cp + adresse + ".");
    };
    try {
        transport_->Connecter(p);
        if (Securite == ModeSecurite::Tls) DemarrerTls();
    } catch (...) {
        transport_.reset();
        throw;
    }
    Statut(StatutPop3::Connecte, "Connecté."_cp);
    if (OnConnected) OnConnected();

    ouverture_ = Horloge::now();
    try {
        DebutReponse("connexion", DelaiReponseMs);
        enPhase_ = false;
        LireReponse(true);
        if (Securite == ModeSecurite::StartTls) NegocierStls();
        Commande("USER " + Username);
        Commande(TexteSecret::Concatener("PASS ", Password));
    } catch (...) {
        CloseSession();
        throw;
    }
}

void TIdPOP3::DemarrerTls()
{
    ParametresTls p;
    p.hote = Host;
    p.empreinteAcceptee = EmpreinteAcceptee;
    p.delaiMs = DelaiConnexionMs;
    p.delaiMaxMs = DelaiLectureMaxMs;
    p.attente = Attente;
    transport_->DemarrerTls(p);
}

void TIdPOP3::NegocierStls()
{
    // A server that does not offer STLS gets no password: there is no falling back to clear.
    const Texte refus = "Le serveur "_cp + Host + " ne propose pas STARTTLS (STLS).";
    if (Commande("CAPA", false, true).Code != 1) throw EchecSecurite(refus);
    bool stls = false;
    for (;;) {
        const std::string_view l = LireLigne();
        if (l == ".") break;
        const std::string_view mot = Rogner(l).substr(0, Rogner(l).find(' '));
        if (EgalSansCasse(mot, "STLS")) stls = true;
    }
    enPhase_ = true;
    if (!stls) throw EchecSecurite(refus);
    const ReponsePop3& r = Commande("STLS", false);
    if (r.Code != 1) throw EchecSecurite("Le serveur "_cp + Host + " refuse STARTTLS :" + r.Premiere());
    // Bytes that came after the "+OK" were sent before the handshake: anyone on the way could
    // have put them there.
    if (lecteur_.EnAttente() != 0) {
        transport_->Fermer();
        throw EchecSecurite("Le serveur "_cp + Host + " a envoyé des données en clair après STLS.");
    }
    DemarrerTls();
}

bool TIdPOP3::IsConnected()
{
    if (!transport_) return false;
    if (transport_->EstOuvert() && !lecteur_.FinSignalee()) return true;
    // The server closed: nobody is left to hear a QUIT, and the server rolled back every DELE.
    FermerTransport();
    if (OnDisconnected) OnDisconnected();
    Statut(StatutPop3::Deconnecte, "Déconnecté."_cp);
    FinSession(false);
    return false;
}

void TIdPOP3::FinSession(bool confirme)
{
    const int suppressions = suppressionsSession_;
    suppressionsSession_ = 0;
    echeanceSession_ = Horloge::time_point::max();
    echeanceReponse_ = Horloge::time_point::max();
    if (OnFinSession) OnFinSession(suppressions, confirme || suppressions == 0);
}

bool TIdPOP3::CloseSession()
{
    if (!IsConnected()) return true;
    bool confirme = false;
    // Commands that never went out stay out; replies still due make the session out of step.
    sortie_.clear();
    if (!enPhase_ || reponsesDues_ > 0) {
        // A reply was cut short: what the server still sends of it would be read as the answer
        // to QUIT. Without QUIT the server rolls the session's deletions back, and says so truly.
        const bool rien = suppressionsSession_ == 0;
        Statut(StatutPop3::Deconnexion, "Déconnexion en cours."_cp);
        FermerTransport();
        if (OnDisconnected) OnDisconnected();
        Statut(StatutPop3::Deconnecte, "Déconnecté."_cp);
        FinSession(false);
        return rien;
    }
    try {
        // The answer to QUIT is the commit: it is awaited even past the session's ceiling.
        echeanceSession_ = Horloge::time_point::max();
        DebutReponse("QUIT", DelaiReponseMs);
        const bool commit = suppressionsSession_ > 0;
        if (commit && OnAvantQuit) OnAvantQuit();
        Envoyer("QUIT");
        if (commit && OnQuitEnvoye) OnQuitEnvoye();
        // Without deletions there is nothing to commit, and no reason to wait.
        if (suppressionsSession_ > 0) confirme = LireReponse(false).Code == 1;
    } catch (const Echec&) {
        // No answer: whether the server committed is unknown, so nothing is taken as deleted.
    }
    Statut(StatutPop3::Deconnexion, "Déconnexion en cours."_cp);
    FermerTransport();
    if (OnDisconnected) OnDisconnected();
    Statut(StatutPop3::Deconnecte, "Déconnecté."_cp);
    confirme = confirme || suppressionsSession_ == 0;
    FinSession(confirme);
    return confirme;
}

void TIdPOP3::PlafondSession(std::int64_t nombreMessages)
{
    if (!transport_) return;
    const std::int64_t secondes = nombreMessages > 0 ? nombreMessages : 0;
    echeanceSession_ = ouverture_ + std::chrono::milliseconds(DelaiSessionMinMs) + std::chrono::seconds(secondes);
}

int TIdPOP3::CountMessages()
{
    VerifierConnecte();
    const Texte& t = Commande("STAT").Premiere();
    if (t.empty()) return 0;
    const auto esp = t.find(' ');
    const auto v = esp == Texte::npos ? std::nullopt : LireEntier(std::string_view(t).substr(0, esp));
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
        throw Echec(GenreEchec::Autre, "Réponse à STAT illisible : \""_cp + t + "\".");
    return static_cast<int>(*v);
}

std::int64_t TIdPOP3::TotalMailboxSize(std::int64_t nombreAttendu)
{
    try {
        VerifierConnecte();
        DebutReponse("LIST", DelaiReponseMs);
        // A long listing on a slow line gets one more millisecond per message.
        if (DelaiReponseMs > 0 && nombreAttendu > 0)
            echeanceReponse_ += std::chrono::milliseconds(std::min<std::int64_t>(nombreAttendu, 10'000'000));
        enPhase_ = false;
        Envoyer("LIST");
        LireReponse(true, true);
        const std::int64_t maxLignes = nombreAttendu >= 0 ? nombreAttendu + 16 : -1;
        std::int64_t lignes = 0;
        std::int64_t somme = 0;
        for (;;) {
            const std::string_view l = LireLigne();
            if (l.empty() || l == ".") break;
            if (maxLignes >= 0 && ++lignes > maxLignes) {
                lecteur_.SignalerFin();
                throw EchecSession("Le serveur envoie une liste sans fin : plus de "_cp + std::to_string(maxLignes) +
                                   " lignes pour " + std::to_string(nombreAttendu) + " messages.");
            }
            const auto v = LireEntier(ApresPremierEspace(l));
            // Read to the end all the same, so that the session stays in step.
            if (v && somme >= 0 && __builtin_add_overflow(somme, *v, &somme)) somme = -1;
        }
        enPhase_ = true;
        return somme;
    } catch (const EchecSession&) {
        throw;
    } catch (const Echec&) {
        return -1;
    }
}

namespace {
// Ends the work events of a multi-line read however the read ends.
struct GardeTravail {
    std::int64_t& base;
    ~GardeTravail() { base = -1; }
};
}  // namespace

Texte TexteEnteteTropLong(int n) { return "Bloc d'entête du message "_cp + std::to_string(n) + " trop long."; }

bool TIdPOP3::FetchHeaderBlock(int n, TIdMessage& msg)
{
    if (!FetchHeaderLines(n, msg.Headers)) throw Echec(GenreEchec::Autre, TexteEnteteTropLong(n));
    msg.AnalyserEntetes();
    return true;
}

bool TIdPOP3::FetchHeaderLines(int n, ListeEntetes& lignes)
{
    VerifierConnecte();
    const std::string commande = "TOP " + std::to_string(n) + " 0";
    DebutReponse(commande, DelaiReponseMs);
    enPhase_ = false;
    Envoyer(commande);
    ++reponsesDues_;
    return LireEntete(n, lignes);
}

bool TIdPOP3::LireEntete(int n, ListeEntetes& lignes)
{
    VerifierConnecte();
    --reponsesDues_;
    DebutReponse("TOP " + std::to_string(n) + " 0", DelaiReponseMs);
    enPhase_ = false;
    GardeTravail garde{baseTravail_};
    DebutTravail();
    LireReponse(true, true);
    std::size_t taille = 0;
    bool complet = true;
    for (;;) {
        const std::string_view l = LireLigne();
        if (l == ".") break;
        taille += l.size() + 2;
        // Read on to the final "." all the same, within the reply's deadline, so that the next
        // command's answer is read as such.
        if (taille > TailleMaxEntete) complet = false;
        // The blank line that ends the header block is not a header line.
        if (complet && !l.empty()) lignes.emplace_back(l);
    }
    enPhase_ = true;
    FinTravail();
    return complet;
}

std::int64_t TIdPOP3::QueryMessageSize(int n)
{
    VerifierConnecte();
    const Texte& t = Commande("LIST " + std::to_string(n)).Premiere();
    if (t.empty()) return -1;
    return LireEntier(ApresPremierEspace(t)).value_or(-1);
}

std::int64_t TIdPOP3::LireTaille(int n)
{
    VerifierConnecte();
    --reponsesDues_;
    DebutReponse("LIST " + std::to_string(n), DelaiReponseMs);
    enPhase_ = false;
    const Texte& t = LireReponse(true).Premiere();
    if (t.empty()) return -1;
    return LireEntier(ApresPremierEspace(t)).value_or(-1);
}

bool TIdPOP3::DeleteMessage(int n)
{
    VerifierConnecte();
    Commande("DELE " + std::to_string(n));
    ++suppressionsSession_;
    return true;
}

void TIdPOP3::LireSuppression(int n)
{
    VerifierConnecte();
    --reponsesDues_;
    DebutReponse("DELE " + std::to_string(n), DelaiReponseMs);
    enPhase_ = false;
    LireReponse(true);
    ++suppressionsSession_;
}

bool TIdPOP3::FetchMessage(int n, TIdMessage& msg)
{
    msg.LignesBrutes.clear();
    return FetchMessage(n, [&msg](std::string_view l) { msg.LignesBrutes.emplace_back(l); });
}

bool TIdPOP3::FetchMessage(int n, const std::function<void(std::string_view)>& ligne)
{
    VerifierConnecte();
    GardeTravail garde{baseTravail_};
    DebutTravail();
    if (Commande("RETR " + std::to_string(n), false, true).Code != 1) return false;
    // A whole message may be large and the line slow: only the wait for each piece is bounded.
    echeanceReponse_ = Horloge::time_point::max();
    for (;;) {
        const std::string_view l = LireLigne();
        if (l == ".") break;
        ligne(l);
    }
    enPhase_ = true;
    FinTravail();
    return true;
}

}  // namespace vaskor
