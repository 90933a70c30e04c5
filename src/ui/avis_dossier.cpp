#include "ui/avis_dossier.h"

#include "core/config.h"
#include "core/fichier_ini.h"
#include "ui/boites_message.h"

namespace vaskor {

namespace {
constexpr std::string_view CleDossierEcarte = "DossierEcarteSignale";
}

bool SignalerDossierEcarte(QWidget* parent, BoitesMessage& boites, const ResultatDossier& d)
{
    if (d.dossierEcarte.empty() || d.dossier.empty()) return false;
    const Texte ecarte = Utf8VersCp1252(d.dossierEcarte.string());
    FichierIni ini;
    ini.Charger(CheminConfig(d.dossier));
    if (ini.Lire(kSectionGeneral, CleDossierEcarte) == ecarte) return false;

    Texte texte = "Le dossier du programme \xAB " + ecarte +
                  " \xBB ne peut pas \xEAtre modifi\xE9 : Vaskor garde ses donn\xE9" "es dans \xAB " +
                  Utf8VersCp1252(d.dossier.string()) + " \xBB.";
    if (d.copie)
        texte += "\r\nLes fichiers de la copie portable y ont \xE9t\xE9 copi\xE9s" +
                 (d.erreurCopie.empty() ? Texte(".") : " en partie : " + Utf8VersCp1252(d.erreurCopie) + ".");
    texte += "\r\nLes changements faits ici ne seront pas report\xE9s dans \xAB " + ecarte + " \xBB.";
    boites.Message(parent, "Information", texte, IconeMessage::Information);

    // Written after the box: a program killed before would rather say it twice than never.
    ini.Ecrire(kSectionGeneral, CleDossierEcarte, ecarte);
    EcrireFichierDonnees(d.dossier, kNomFichierConfig, ini.Assembler());
    return true;
}

}  // namespace vaskor
