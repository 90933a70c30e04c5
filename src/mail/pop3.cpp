#include "mail/pop3.h"

#include "mail/echec.h"

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
    std::string ligne;
    ligne.reserve(commande.size() + 2);
    ligne.append(commande).append("\r\n");
    transport_->Envoyer(ligne, DelaiLectureMaxMs, Attente);
}

std::string_view TIdPOP3::LireLigne()
{
    std::string_view ligne;
    while (!lecteur_.LireLigne(ligne)) {
        char* p = lecteur_.Reserver(kTailleReception);
        std::size_t n = 0;
        try {
            n = transport_->Recevoir(p, kTailleReception, DelaiLectureMaxMs, Attente);
        } catch (const Echec& e) {
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

const ReponsePop3& TIdPOP3::LireReponse(bool seulementOk)
{
    analyseur_.Recommencer();
    while (!analyseur_.AjouterLigne(LireLigne())) {
    }
    derniere_ = &analyseur_.Resultat();
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

const ReponsePop3& TIdPOP3::Commande(std::string_view commande, bool seulementOk)
{
    Envoyer(commande);
    return LireReponse(seulementOk);
}

void TIdPOP3::FermerTransport()
{
    if (transport_) transport_->Fermer();
    transport_.reset();
    lecteur_.Vider();
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

    try {
        LireReponse(true);
        if (Securite == ModeSecurite::StartTls) NegocierStls();
        Commande("USER " + Username);
        Commande("PASS " + Password);
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
    if (Commande("CAPA", false).Code != 1) throw EchecSecurite(refus);
    bool stls = false;
    for (;;) {
        const std::string_view l = LireLigne();
        if (l == ".") break;
        const std::string_view mot = Rogner(l).substr(0, Rogner(l).find(' '));
        if (EgalSansCasse(mot, "STLS")) stls = true;
    }
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
    // The server closed: nobody is left to hear a QUIT.
    FermerTransport();
    if (OnDisconnected) OnDisconnected();
    Statut(StatutPop3::Deconnecte, "Déconnecté."_cp);
    return false;
}

void TIdPOP3::CloseSession()
{
    if (!IsConnected()) return;
    try {
        Envoyer("QUIT");
    } catch (const Echec&) {
        // The connection is being dropped anyway; a QUIT that cannot go out changes nothing.
    }
    Statut(StatutPop3::Deconnexion, "Déconnexion en cours."_cp);
    FermerTransport();
    if (OnDisconnected) OnDisconnected();
    Statut(StatutPop3::Deconnecte, "Déconnecté."_cp);
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

std::int64_t TIdPOP3::TotalMailboxSize()
{
    try {
        VerifierConnecte();
        Commande("LIST");
        std::int64_t somme = 0;
        for (;;) {
            const std::string_view l = LireLigne();
            if (l.empty() || l == ".") break;
            const auto v = LireEntier(ApresPremierEspace(l));
            if (v && __builtin_add_overflow(somme, *v, &somme)) return -1;
        }
        return somme;
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

bool TIdPOP3::FetchHeaderBlock(int n, TIdMessage& msg)
{
    FetchHeaderLines(n, msg.Headers);
    msg.AnalyserEntetes();
    return true;
}

void TIdPOP3::FetchHeaderLines(int n, ListeEntetes& lignes)
{
    VerifierConnecte();
    GardeTravail garde{baseTravail_};
    DebutTravail();
    Commande("TOP " + std::to_string(n) + " 0");
    std::size_t taille = 0;
    for (;;) {
        const std::string_view l = LireLigne();
        if (l == ".") break;
        taille += l.size() + 2;
        if (taille > TailleMaxEntete)
            throw Echec(GenreEchec::Autre, "Bloc d'entête du message "_cp + std::to_string(n) + " trop long.");
        // The blank line that ends the header block is not a header line.
        if (!l.empty()) lignes.emplace_back(l);
    }
    FinTravail();
}

std::int64_t TIdPOP3::QueryMessageSize(int n)
{
    VerifierConnecte();
    const Texte& t = Commande("LIST " + std::to_string(n)).Premiere();
    if (t.empty()) return -1;
    return LireEntier(ApresPremierEspace(t)).value_or(-1);
}

bool TIdPOP3::DeleteMessage(int n)
{
    VerifierConnecte();
    Commande("DELE " + std::to_string(n));
    return true;
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
    if (Commande("RETR " + std::to_string(n), false).Code != 1) return false;
    for (;;) {
        const std::string_view l = LireLigne();
        if (l == ".") break;
        ligne(l);
    }
    FinTravail();
    return true;
}

}  // namespace vaskor
