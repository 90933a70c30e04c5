#pragma once
// The tray icon that stands for the main window while it is hidden: its picture and tip follow
// the check (idle, checking a server, result), and its menu shows the window, starts checks and
// quits.

#include <QIcon>
#include <QObject>
#include <QString>

#include <array>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vaskor {

class IconeTray : public QObject {
    Q_OBJECT
public:
    // The desktop's tips are short; longer texts are cut to this many characters.
    static constexpr int kLongueurMaxInfobulle = 63;

    explicit IconeTray(QObject* parent = nullptr);
    ~IconeTray() override;

    // Whether the desktop shows tray icons at this moment (many show none without an extension).
    static bool Disponible();

    // The tip of a state: 0 "Vaskor"; 1 "Vaskor - Contrôle de " + server + "..."; 2 "Vaskor - Aucun
    // message", "Vaskor - Un message" or "Vaskor - " + count + " messages". Cut to 63 characters.
    static QString TexteInfobulle(int etat, const QString& serveur, int nbMessages);

    // MajIconeTray: picture and tip of the state (0 idle, 1 checking `serveur`, 2 result with
    // `nbMessages` rows in the list). The icon keeps them whether shown or not.
    void MajIconeTray(int etat, const QString& serveur = QString(), int nbMessages = 0);
    // The same with a tip already made by the caller (cut to 63 characters here too).
    void DefinirEtat(int etat, const QString& infobulle);
    int Etat() const { return etat_; }
    QString Infobulle() const;

    // The icon exists exactly while the main window is hidden: Ajouter when hiding it,
    // Retirer when showing it and when quitting.
    void Ajouter();
    void Retirer();
    bool Present() const;

    // The menu: "Afficher" (default), separator, "Contrôler" (Controler2), separator, "Quitter"
    // (Quitter2).
    QMenu* Menu() const { return menu_.get(); }
    // Controler2: the main window fills it with the account entries and "Tous les comptes"
    // (TFMain::DefinirMenuControlerTray). It belongs to the tray, which must outlive the window.
    QMenu* MenuControler() const { return menuControler_; }
    QAction* ActionAfficher() const { return afficher_; }
    QAction* ActionControler() const { return controler_; }
    QAction* ActionQuitter() const { return quitter_; }

    // Before the window hides: "Contrôler" shown only when accounts exist and enabled only when
    // no POP3 connection is open; "Quitter" enabled exactly when "Contrôler" is.
    void MajMenu(bool comptesExistent, bool connexionOuverte);

signals:
    // A left click on the icon, or "Afficher": show the main window and remove the icon.
    void AfficherDemande();
    // "Quitter" of the tray menu.
    void QuitterDemande();

private:
    static QString Couper(QString t);

    std::unique_ptr<QMenu> menu_;
    QMenu* menuControler_ = nullptr;
    QAction* afficher_ = nullptr;
    QAction* controler_ = nullptr;
    QAction* quitter_ = nullptr;
    QSystemTrayIcon* icone_ = nullptr;
    std::array<QIcon, 3> images_;  // the program icon, then the checking and result pictures
    int etat_ = 0;
};

}  // namespace vaskor
