// vaskor-cli headers FILE: the parsed fields of a raw message's header block, as a check would
// read them from a TOP fetch.

#include "cli/commande.h"
#include "cli/lecture_message.h"
#include "mail/echec.h"
#include "mail/message.h"

#include <optional>

namespace {

using namespace vaskor;

// One output line per field: a decoded CR or LF inside a value must not start a new line.
Texte SurUneLigne(Texte v)
{
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    return v;
}

Texte Liste(const std::vector<TElementAdresse>& l)
{
    Texte r;
    for (std::size_t i = 0; i < l.size(); ++i) {
        if (i) r += ", ";
        r += TexteAdresse(l[i]);
    }
    return r;
}

cli::EnregistrementAide aide({"headers", "headers FICHIER [--decodage-moderne 0|1] [--data DOSSIER]",
                              "Analyse l'entête d'un message brut (FICHIER, - pour l'entrée standard) comme le ferait\n"
                              "un contrôle, et affiche From, From-Address, From-Name, Sender, Subject, Date\n"
                              "(AAAA-MM-JJ HH:MM:SS, heure locale), To, Cc, Reply-To, Content-Type, CharSet,\n"
                              "Content-Transfer-Encoding, Message-Id, Organization. Un entête illisible affiche\n"
                              "\"Error: ...\" ; statut 2. Les octets du fichier sont ceux du message, sans conversion ;\n"
                              "une date illisible s'affiche vide.",
                              {cli::OptionDecodageModerne, cli::OptionData}});

int Entetes(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty() || a.positionnels.size() != 1)
        throw cli::ErreurCommande{a.erreur.empty() ? Texte("il faut un FICHIER (- pour l'entr\xE9" "e standard).")
                                                   : a.erreur,
                                  cli::StatutUsage};
    const bool moderne = cli::DecodageModerne(a, [&a] { return cli::DecodageModerneDuDossier(cli::DossierDonnees(a)); });
    const std::optional<ListeEntetes> lignes = cli::LireBlocEntete(c, a.positionnels[0]);
    if (!lignes) return 1;
    TIdMessage m;
    m.DecodageModerne = moderne;
    m.Headers = *lignes;
    try {
        m.AnalyserEntetes();
    } catch (const Echec& e) {
        c.Ecrire("Error: " + e.Message() + "\n");
        return 2;
    }

    auto ligne = [&c](const char* champ, const Texte& valeur) {
        c.Ecrire(Texte(champ) + ": " + SurUneLigne(valeur) + "\n");
    };
    ligne("From", TexteAdresse(m.From));
    ligne("From-Address", m.From.Address);
    ligne("From-Name", m.From.Name);
    ligne("Sender", TexteAdresse(m.Sender));
    ligne("Subject", m.Subject);
    ligne("Date", m.DateLisible ? FormaterIso(m.Date) : Texte());
    ligne("To", Liste(m.Recipients));
    ligne("Cc", Liste(m.CCList));
    ligne("Reply-To", Liste(m.ReplyTo));
    ligne("Content-Type", m.ContentType);
    ligne("CharSet", m.CharSet);
    ligne("Content-Transfer-Encoding", m.ContentTransferEncoding);
    ligne("Message-Id", m.MsgId);
    ligne("Organization", m.Organization);
    return 0;
}

cli::EnregistrementCommande e("headers", "analyse l'entête d'un message brut", Entetes);

}  // namespace
