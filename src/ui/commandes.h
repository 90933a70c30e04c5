#pragma once
// Every command of the main window, one QAction per menu item or tool button, each named as the
// item it stands for (objectName). A command whose work lives elsewhere (preview, filters,
// friends, dialogs...) stays disabled until that work is plugged in with Brancher.

#include <QObject>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenu;

namespace vaskor {

// The commands whose work is plugged in from outside the window.
enum class Commande {
    Apercu,            // ApercuMessage1, Apercu2, BApercu
    Supprimer,         // Supprimer1, Supprimer2, BSupprimerMails
    Filtrer,           // AjouterFiltre1, AjouterFiltre2, AjouterFiltre3, BFiltres
    GestionFiltres,    // Filtres1, Filtres2
    AjouterAuxAmis,    // AjouterAuxAmis1, AjouterAuxAmis2
    Amis,              // Amis1
    ControleAuto,      // ControleAuto1
    LancerMessagerie,  // LancerMessagerie1
    Journal,           // EmailsSupprimes1
    Comptes,           // Comptes1
    Options,           // Options1
    Aide,              // Aide1
    APropos,           // APropos1
};

class Commandes : public QObject {
    Q_OBJECT
public:
    explicit Commandes(QObject* parent);

    // File menu.
    QAction* Masquer1;
    QAction* Quitter1;
    // "Message" menu (Email1).
    QAction* VoirLesEntetes1;
    QAction* ApercuMessage1;
    QAction* Marquer1;
    QAction* ToutMarquer1;
    QAction* InverserMarquage1;
    QAction* AnnulerMarquage1;
    QAction* Supprimer1;
    QAction* EffacerListe1;
    // "Outils" menu.
    QAction* AjouterFiltre1;
    QAction* Filtres1;
    QAction* AjouterAuxAmis1;
    QAction* Amis1;
    QAction* ControleAuto1;
    QAction* LancerMessagerie1;
    QAction* EmailsSupprimes1;
    QAction* Comptes1;
    QAction* Options1;
    // Help menu.
    QAction* Aide1;
    QAction* APropos1;
    // The list's pop-up menu (PMLVMsg).
    QAction* VoirLesEntetes2;
    QAction* Apercu2;
    QAction* Marquer2;
    QAction* ToutMarquer2;
    QAction* InverserMarquage2;
    QAction* AnnulerMarquage2;
    QAction* Supprimer2;
    QAction* AjouterFiltre2;
    QAction* AjouterAuxAmis2;
    // The drop-down of BMarquer.
    QAction* Marquer3;
    QAction* Toutmarquer3;
    QAction* Inverser1;
    QAction* Annuler1;
    // The drop-down of BFiltres (PMFiltres).
    QAction* AjouterFiltre3;
    QAction* Filtres2;
    // Tool bar buttons.
    QAction* BCheck;
    QAction* BEntetes;
    QAction* BApercu;
    QAction* BMarquer;
    QAction* BSupprimerMails;
    QAction* BFiltres;

    // The tool buttons, in tool bar order.
    std::vector<QAction*> BoutonsOutils() const;
    // The actions of a plugged-in command.
    const std::vector<QAction*>& Actions(Commande c) const { return parCommande_.at(c); }

    // Plugs in a command's work: its actions run `travail` and may be enabled from now on.
    void Brancher(Commande c, std::function<void()> travail);
    bool Disponible(const QAction* a) const;
    // Enables `a` when `actif` and its work is available; a command not plugged in stays off.
    void Activer(QAction* a, bool actif) const;

private:
    QAction* Creer(const char* nom, const QString& texte, const QString& aide);

    std::map<Commande, std::vector<QAction*>> parCommande_;
    std::vector<const QAction*> indisponibles_;
};

}  // namespace vaskor
