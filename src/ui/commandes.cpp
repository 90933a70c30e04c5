#include "ui/commandes.h"

#include <QAction>

#include <algorithm>

namespace vaskor {

namespace {
QString T(const char* utf8) { return QString::fromUtf8(utf8); }
}  // namespace

QAction* Commandes::Creer(const char* nom, const QString& texte, const QString& aide)
{
    auto* a = new QAction(texte, this);
    a->setObjectName(QString::fromLatin1(nom));
    a->setStatusTip(aide);
    return a;
}

Commandes::Commandes(QObject* parent) : QObject(parent)
{
    const QString aideEntetes = T("Voir les entêtes du message sélectionné");
    const QString aideApercu = T("Aperçu du message sélectionné");
    const QString aideMarquer = T("Sélectionner ou désélectionner le message pour la suppression");
    const QString aideToutMarquer = T("Sélectionner tous les messages pour la suppression");
    const QString aideInverser = T("Inverser la sélection des messages");
    const QString aideAnnuler = T("Annuler la sélection des messages");
    const QString aideSupprimer = T("Supprimer du serveur les messages sélectionnés");
    const QString aideFiltrer = T("Créer un filtre à partir du message sélectionné");
    const QString aideFiltres = T("Gérer les filtres");
    const QString aideAjouterAmi = T("Ajouter l'expéditeur du message sélectionné à la liste des amis");

    Masquer1 = Creer("Masquer1", T("Masquer"), T("Masquer Vaskor"));
    Masquer1->setShortcut(QKeySequence(Qt::Key_Escape));
    Quitter1 = Creer("Quitter1", T("Quitter"), T("Quitter Vaskor :-("));
    Quitter1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    VoirLesEntetes1 = Creer("VoirLesEntetes1", T("Voir les entêtes..."), aideEntetes);
    VoirLesEntetes1->setShortcut(QKeySequence(Qt::Key_F2));
    ApercuMessage1 = Creer("ApercuMessage1", T("Aperçu..."), aideApercu);
    ApercuMessage1->setShortcut(QKeySequence(Qt::Key_F3));
    Marquer1 = Creer("Marquer1", T("Sélectionner"), aideMarquer);
    Marquer1->setShortcut(QKeySequence(Qt::Key_Delete));
    ToutMarquer1 = Creer("ToutMarquer1", T("Tout sélectionner"), aideToutMarquer);
    ToutMarquer1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    InverserMarquage1 = Creer("InverserMarquage1", T("Inverser"), aideInverser);
    InverserMarquage1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    AnnulerMarquage1 = Creer("AnnulerMarquage1", T("Annuler"), aideAnnuler);
    AnnulerMarquage1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Supprimer1 = Creer("Supprimer1", T("Supprimer"), aideSupprimer);
    Supprimer1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EffacerListe1 = Creer("EffacerListe1", T("Effacer la liste"), T("Effacer la liste des messages"));
    EffacerListe1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    AjouterFiltre1 = Creer("AjouterFiltre1", T("Filtrer..."), aideFiltrer);
    AjouterFiltre1->setShortcut(QKeySequence(Qt::Key_Insert));
    Filtres1 = Creer("Filtres1", T("Gestion des filtres..."), aideFiltres);
    Filtres1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    AjouterAuxAmis1 = Creer("AjouterAuxAmis1", T("Ajouter aux amis"), aideAjouterAmi);
    AjouterAuxAmis1->setShortcut(QKeySequence(Qt::Key_F5));
    Amis1 = Creer("Amis1", T("Amis..."), T("Gérer la liste des amis"));
    Amis1->setShortcut(QKeySequence(Qt::Key_F6));
    ControleAuto1 = Creer("ControleAuto1", T("Contrôle automatique..."), T("Régler le contrôle automatique des comptes"));
    ControleAuto1->setShortcut(QKeySequence(Qt::Key_F4));
    LancerMessagerie1 = Creer("LancerMessagerie1", T("Lancer la messagerie"), T("Lancer le programme de messagerie"));
    LancerMessagerie1->setShortcut(QKeySequence(Qt::Key_F9));
    EmailsSupprimes1 = Creer("EmailsSupprimes1", T("Journal..."), T("Voir le journal des messages supprimés"));
    EmailsSupprimes1->setShortcut(QKeySequence(Qt::Key_F10));
    Comptes1 = Creer("Comptes1", T("Comptes..."), T("Gérer les comptes de messagerie"));
    Comptes1->setShortcut(QKeySequence(Qt::Key_F11));
    Options1 = Creer("Options1", T("Options..."), T("Régler les options de Vaskor"));
    Options1->setShortcut(QKeySequence(Qt::Key_F12));

    Aide1 = Creer("Aide1", T("Aide..."), T("Aide de Vaskor"));
    Aide1->setShortcut(QKeySequence(Qt::Key_F1));
    APropos1 = Creer("APropos1", T("&A propos..."), T("A propos de Vaskor..."));

    // The pop-up and drop-down items carry no shortcut: the main menu's items own the keys.
    VoirLesEntetes2 = Creer("VoirLesEntetes2", T("Voir les entêtes..."), aideEntetes);
    Apercu2 = Creer("Apercu2", T("Aperçu..."), aideApercu);
    Marquer2 = Creer("Marquer2", T("Sélectionner"), aideMarquer);
    ToutMarquer2 = Creer("ToutMarquer2", T("Tout sélectionner"), aideToutMarquer);
    InverserMarquage2 = Creer("InverserMarquage2", T("Inverser la sélection"), aideInverser);
    AnnulerMarquage2 = Creer("AnnulerMarquage2", T("Annuler la sélection"), aideAnnuler);
    Supprimer2 = Creer("Supprimer2", T("Supprimer"), aideSupprimer);
    AjouterFiltre2 = Creer("AjouterFiltre2", T("Filtrer..."), aideFiltrer);
    AjouterAuxAmis2 = Creer("AjouterAuxAmis2", T("Ajouter aux amis"), aideAjouterAmi);

    Marquer3 = Creer("Marquer3", T("Sélectionner"), aideMarquer);
    Toutmarquer3 = Creer("Toutmarquer3", T("Tout sélectionner"), aideToutMarquer);
    Inverser1 = Creer("Inverser1", T("Inverser"), aideInverser);
    Annuler1 = Creer("Annuler1", T("Annuler"), aideAnnuler);

    AjouterFiltre3 = Creer("AjouterFiltre3", T("Ajouter un filtre..."), aideFiltrer);
    Filtres2 = Creer("Filtres2", T("Filtres..."), aideFiltres);

    // The tool buttons take the hints of the matching menu commands. Their captions keep the
    // accelerator letter, so Alt with it presses the button (Alt+C opens the accounts menu).
    auto bouton = [this](const char* nom, const QString& texte, const QString& aide) {
        QAction* a = Creer(nom, texte, aide);
        a->setIconText(texte);
        a->setToolTip(aide);
        return a;
    };
    BCheck = bouton("BCheck", T("&Contrôler..."), T("Contrôler un compte ou tous les comptes"));
    BEntetes = bouton("BEntetes", T("E&ntêtes..."), aideEntetes);
    BApercu = bouton("BApercu", T("Aperç&u..."), aideApercu);
    BMarquer = bouton("BMarquer", T("Sé&lectionner"), aideMarquer);
    BSupprimerMails = bouton("BSupprimerMails", T("&Supprimer"), aideSupprimer);
    BFiltres = bouton("BFiltres", T("F&iltrer..."), aideFiltrer);

    parCommande_ = {
        {Commande::Apercu, {ApercuMessage1, Apercu2, BApercu}},
        {Commande::Supprimer, {Supprimer1, Supprimer2, BSupprimerMails}},
        {Commande::Filtrer, {AjouterFiltre1, AjouterFiltre2, AjouterFiltre3, BFiltres}},
        {Commande::GestionFiltres, {Filtres1, Filtres2}},
        {Commande::AjouterAuxAmis, {AjouterAuxAmis1, AjouterAuxAmis2}},
        {Commande::Amis, {Amis1}},
        {Commande::ControleAuto, {ControleAuto1}},
        {Commande::LancerMessagerie, {LancerMessagerie1}},
        {Commande::Journal, {EmailsSupprimes1}},
        {Commande::Comptes, {Comptes1}},
        {Commande::Options, {Options1}},
        {Commande::Aide, {Aide1}},
        {Commande::APropos, {APropos1}},
    };
    for (const auto& [c, actions] : parCommande_) {
        for (QAction* a : actions) {
            indisponibles_.push_back(a);
            a->setEnabled(false);
        }
    }
}

std::vector<QAction*> Commandes::BoutonsOutils() const
{
    return {BCheck, BEntetes, BApercu, BMarquer, BSupprimerMails, BFiltres};
}

void Commandes::Brancher(Commande c, std::function<void()> travail)
{
    for (QAction* a : parCommande_.at(c)) {
        indisponibles_.erase(std::remove(indisponibles_.begin(), indisponibles_.end(), a), indisponibles_.end());
        QObject::connect(a, &QAction::triggered, this, [travail] {
            if (travail) travail();
        });
    }
}

bool Commandes::Disponible(const QAction* a) const
{
    return std::find(indisponibles_.begin(), indisponibles_.end(), a) == indisponibles_.end();
}

void Commandes::Activer(QAction* a, bool actif) const
{
    if (a) a->setEnabled(actif && Disponible(a));
}

}  // namespace vaskor
