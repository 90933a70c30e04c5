#include "ui/tfaide.h"

#include "ui/disposition.h"
#include "ui/placement.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vaskor {

namespace {

struct Section {
    const char* titre;
    const char* texte;
};

const char* const kIntroduction =
    "Vaskor surveille vos boîtes aux lettres POP3 sans télécharger vos messages : pour chaque message "
    "présent sur le serveur, il ne lit que son entête et sa taille. D'après votre liste d'amis et vos "
    "filtres, chaque message est accepté (il apparaît dans la liste), marqué pour suppression (il "
    "apparaît coché et barré) ou effacé aussitôt sur le serveur. Vous relevez ensuite votre courrier "
    "avec votre messagerie habituelle, débarrassé des messages indésirables.\n"
    "\n"
    "Vos comptes, filtres, amis, le journal des messages supprimés et les réglages sont enregistrés dans "
    "le dossier des données de Vaskor (nommé à la fin de cette aide) ; les mots de passe y sont chiffrés.\n";

const Section kSections[] = {
    {"CREATION DES COMPTES DE MESSAGERIE :",
     "Menu \"Outils\", commande \"Comptes...\" (F11).\n"
     "\n"
     "  - \"Ajouter...\" ouvre la fiche d'un nouveau compte : Description (le nom du compte dans les menus), "
     "Nom d'utilisateur, Serveur POP, Mot de passe et Port serveur POP (110 par défaut). Ces renseignements "
     "vous sont donnés par votre fournisseur d'accès ; tous sont obligatoires.\n"
     "  - \"Propriétés...\" (ou un double-clic) modifie le compte sélectionné, \"Supprimer...\" l'enlève "
     "après confirmation.\n"
     "  - Les changements ne sont pris en compte qu'en fermant la liste des comptes par \"OK\" ; \"Annuler\" "
     "laisse tout en l'état.\n"
     "\n"
     "Tant qu'aucun compte n'existe, les menus \"Contrôler\" et \"Message\" sont cachés.\n"},
    {"CONTROLE DE COMPTE(S) :",
     "Le bouton \"Contrôler...\" (Alt+C), le menu \"Contrôler\" et le menu de l'icône de Vaskor près de "
     "l'horloge proposent chacun de vos comptes. Avec plusieurs comptes, \"Tous les comptes\" (Ctrl+T) les "
     "contrôle l'un après l'autre et réunit leurs messages dans la même liste.\n"
     "\n"
     "Pendant le contrôle, la barre d'état montre le serveur interrogé et la progression ; les commandes "
     "sont indisponibles jusqu'à la fin. La liste indique pour chaque message l'expéditeur (De), le sujet, "
     "la date et la taille en octets. Un clic sur le titre d'une colonne trie la liste, un second clic "
     "inverse l'ordre.\n"
     "\n"
     "  - \"Sélectionner\" (Suppr) coche ou décoche le message choisi : un message coché est marqué pour "
     "suppression et s'affiche barré. \"Tout sélectionner\" (Ctrl+A), \"Inverser\" (Ctrl+I) et "
     "\"Annuler\" (Ctrl+Z) agissent sur toute la liste.\n"
     "  - \"Supprimer\" (Ctrl+Suppr) efface sur leurs serveurs tous les messages cochés. Cette suppression "
     "est définitive ; chaque message supprimé est noté dans le journal (\"Journal...\", F10).\n"
     "  - \"Voir les entêtes...\" (F2) montre l'entête complet du message choisi, tel que le serveur l'a "
     "envoyé.\n"
     "  - \"Effacer la liste\" (Ctrl+L) vide la liste sans rien supprimer : les messages réapparaîtront au "
     "prochain contrôle.\n"
     "  - \"Lancer la messagerie\" (F9) démarre votre programme de messagerie habituel.\n"
     "\n"
     "Si des messages sont cochés quand vous lancez un nouveau contrôle ou quand vous quittez Vaskor, il vous "
     "propose de les supprimer d'abord.\n"},
    {"FILTRAGE :",
     "Chaque message est jugé dans cet ordre :\n"
     "  1. son expéditeur est dans la liste d'amis : il est accepté ;\n"
     "  2. l'option \"N'accepter que les messages des amis\" est cochée : il est effacé ;\n"
     "  3. les filtres actifs sont essayés dans l'ordre de la liste : le premier dont la condition est "
     "remplie décide ;\n"
     "  4. aucun filtre ne décide : le message est accepté.\n"
     "\n"
     "Un filtre porte sur l'expéditeur (le nom d'utilisateur ou le domaine de son adresse), sur le sujet, ou "
     "sur un entête (Cc, Date, From, Reply-To, Subject... ou un nom que vous saisissez). Sa condition peut "
     "être : contient, ne contient pas, est égal à, commence par, finit par, commence par un nombre, est vide, "
     "est numérique, est en majuscule... \"Sensible à la casse\" distingue les majuscules des minuscules.\n"
     "\n"
     "Son action est \"Accepter\", \"Marquer mais ne pas effacer\" (le message est listé et coché) ou "
     "\"Effacer\" (le message est supprimé du serveur pendant le contrôle, sans passer par la liste, et noté "
     "dans le journal).\n"
     "\n"
     "  - \"Gestion des filtres...\" (Ctrl+F) : un onglet par sorte de filtre ; la case à cocher de chaque "
     "ligne active ou désactive le filtre. \"Ajouter...\", \"Propriétés...\", \"Supprimer\", \"RAZ "
     "compteurs\" ; \"Filtres obsolètes\" supprime les filtres dont le compteur est à zéro. Le compteur dit "
     "combien de messages le filtre a jugés ; il est conservé d'une fois sur l'autre.\n"
     "  - \"Filtrer...\" (Inser) crée un filtre à partir du message sélectionné : choisissez l'expéditeur, "
     "le sujet ou un entête, et la fiche du filtre s'ouvre déjà remplie.\n"
     "\n"
     "Les messages plus gros que la limite fixée dans les options ne sont pas filtrés.\n"},
    {"APERCU D'UN MESSAGE :",
     "\"Aperçu...\" (F3), ou un double-clic si l'option est choisie, télécharge le message sélectionné et "
     "l'affiche en texte seul : rien n'y est exécuté, aucune image n'est chargée. Le message reste sur le "
     "serveur. Un message plus gros que la limite des options demande confirmation avant d'être "
     "téléchargé.\n"
     "\n"
     "  - Les pièces jointes sont seulement nommées ; leur enregistrement n'est possible que s'il a été "
     "autorisé dans les options (déconseillé).\n"
     "  - \"Imprimer\" imprime le message, \"Retour à la ligne\" coupe les lignes trop longues.\n"
     "  - Un message crypté demande sa clé de décryptage avant d'être affiché.\n"},
    {"LISTE D'AMIS :",
     "Les messages de vos amis sont toujours acceptés, quels que soient vos filtres.\n"
     "\n"
     "Un ami est une adresse complète (jean.dupont@exemple.fr) ou un domaine entier (exemple.fr). La "
     "comparaison respecte les majuscules et les minuscules, et un domaine ne couvre pas ses "
     "sous-domaines.\n"
     "\n"
     "  - \"Amis...\" (F6) : ajouter, modifier ou supprimer des amis ; les changements sont pris en compte "
     "par \"OK\".\n"
     "  - \"Ajouter aux amis\" (F5) ajoute l'expéditeur du message sélectionné.\n"},
    {"CONTROLE AUTOMATIQUE :",
     "\"Contrôle automatique...\" (F4) : cochez \"Activer le contrôle automatique\", choisissez les comptes à "
     "contrôler (seuls les comptes qui ont un mot de passe peuvent l'être), puis soit un intervalle "
     "(\"Toutes les :\" de 1 à 120 minutes), soit une heure fixe (\"Tous les jours à :\", au format hh:mm).\n"
     "\n"
     "L'heure du prochain contrôle s'affiche au-dessus de la liste, à droite. Un contrôle que vous lancez "
     "vous-même repousse le prochain contrôle automatique d'un intervalle. Le contrôle automatique est "
     "silencieux : il ne pose aucune question, n'affiche aucune erreur, et les messages cochés de la liste "
     "sont oubliés (pas supprimés). Il attend la fin d'un contrôle, d'une suppression ou d'un aperçu en "
     "cours.\n"
     "\n"
     "Vaskor peut attendre caché à côté de l'horloge : \"Masquer\" (Echap), la fermeture ou la réduction de "
     "la fenêtre l'y placent. L'info-bulle de l'icône indique ce qu'il fait : \"Vaskor\", \"Vaskor - Contrôle "
     "de ...\" ou le nombre de messages trouvés. Un clic réaffiche la fenêtre ; le clic droit ouvre un menu "
     "(Afficher, Contrôler, Quitter). Sur un bureau qui n'affiche pas ces icônes, la fenêtre est "
     "simplement réduite dans la barre des tâches. Seul \"Quitter\" (Ctrl+Q) arrête le programme.\n"},
    {"OPTIONS :",
     "\"Options...\" (F12), cinq onglets :\n"
     "\n"
     "  - Général : lancer Vaskor à l'ouverture de la session ; le masquer au lancement ; effectuer le "
     "contrôle automatique dès le lancement ; effet du double-clic sur un message (le sélectionner ou "
     "l'afficher).\n"
     "  - Messages : ne pas filtrer les messages de plus d'une certaine taille (cette limite sert aussi à "
     "l'aperçu) ; aperçu des messages HTML sans leur partie HTML.\n"
     "  - Filtres : sortes de filtres actives ; n'accepter que les messages des amis (à n'activer que si "
     "votre liste d'amis est vraiment complète !) ; action proposée pour les nouveaux filtres.\n"
     "  - Journal : nombre de lignes gardées dans le journal des messages supprimés (10 à 1500).\n"
     "  - Sons : un son pour chaque message accepté, à marquer ou effacé ; les sons de Vaskor ou vos propres "
     "fichiers .wav ; \"Tester\" vous les fait entendre.\n"
     "\n"
     "Les réglages sont enregistrés quand vous fermez la fenêtre des options par \"OK\".\n"},
};

}  // namespace

QString TFAide::TexteAide(const QString& dossierDonnees)
{
    QString t = QString::fromUtf8(kIntroduction);
    for (const Section& s : kSections) {
        const QString titre = QString::fromUtf8(s.titre);
        t += QLatin1Char('\n') + titre + QLatin1Char('\n') + QString(titre.size(), QLatin1Char('-')) +
             QStringLiteral("\n\n") + QString::fromUtf8(s.texte);
    }
    if (!dossierDonnees.isEmpty())
        t += QStringLiteral("\nVos comptes, filtres, amis, réglages (vaskor.ini) et le journal des messages supprimés "
                            "sont gardés dans le dossier :\n\n  ") +
             dossierDonnees +
             QStringLiteral("\n\nC'est le dossier de Vaskor lui-même quand il contient déjà ces fichiers (une copie "
                            "portable), sinon ~/.local/share/vaskor (ou $XDG_DATA_HOME/vaskor). vaskor-cli utilise le "
                            "même dossier.\n");
    return t;
}

void TFAide::DefinirDossierDonnees(const QString& dossier) { mAide_->setPlainText(TexteAide(dossier)); }

TFAide::TFAide(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFAide"));
    setWindowTitle(QStringLiteral("Aide de Vaskor"));
    setModal(true);
    resize(640, 520);

    mAide_ = new QPlainTextEdit(this);
    mAide_->setObjectName(QStringLiteral("MAide"));
    mAide_->setReadOnly(true);
    mAide_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mAide_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A fixed-width font keeps each title's row of hyphens exactly under it.
    mAide_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    mAide_->setPlainText(TexteAide());

    bFermer_ = DisposerAvecBoutonFermer(this, mAide_, true);
}

void TFAide::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    PlacerFenetre(this);
    mAide_->moveCursor(QTextCursor::Start);
    mAide_->setFocus();
}

}  // namespace vaskor
