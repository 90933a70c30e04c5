// The desktop application: one copy per user, a French interface, the main window with its tray
// icon and help window.

#include "platform/base/dossiers.h"
#include "platform/base/instance_unique.h"
#include "platform/base/messagerie.h"
#include "platform/base/signaux_fin.h"
#include "platform/gui/icones.h"
#include "platform/gui/sons.h"
#include "platform/gui/tray.h"
#include "ui/application.h"
#include "ui/tfaide.h"
#include "ui/avis_dossier.h"
#include "ui/tfmain.h"

#include <QSocketNotifier>

#include <filesystem>
#include <memory>

int main(int argc, char** argv)
{
    vaskor::InterdireVidageMemoire();
    vaskor::SurvivreAuxTubesFermes();
    vaskor::Application app(argc, argv);

    // A copy already running: this one ends at once, before any window and before reading or
    // writing any file.
    vaskor::GardeInstance garde;
    if (!garde.Acquerir()) return 0;

    app.setApplicationName(QStringLiteral("Vaskor"));
    app.setDesktopFileName(QStringLiteral("io.github.vaskor.Vaskor"));
    app.setWindowIcon(vaskor::IconeApplication());
    // Hidden in the tray, the program has no window open: closing a message box then must not end it.
    app.setQuitOnLastWindowClosed(false);
    // Qt's own texts in French, like every text of the program.
    QTranslator traducteur;
    if (vaskor::ChargerTraductionQt(traducteur)) app.installTranslator(&traducteur);

    // The tray icon outlives the window, which fills its "Contrôler" menu and enables its "Quitter".
    vaskor::IconeTray tray;
    vaskor::TFMain fenetre;
    fenetre.DefinirMenuControlerTray(tray.MenuControler());
    fenetre.DefinirQuitterTray(tray.ActionQuitter());
    fenetre.DefinirTrayDisponible(&vaskor::IconeTray::Disponible);
    QObject::connect(&fenetre, &vaskor::TFMain::IconeTrayVisible, &tray,
                     [&tray](bool visible) { visible ? tray.Ajouter() : tray.Retirer(); });
    QObject::connect(&fenetre, &vaskor::TFMain::IconeTrayModifiee, &tray, &vaskor::IconeTray::MajIconeTray);
    QObject::connect(&tray, &vaskor::IconeTray::AfficherDemande, &fenetre, &vaskor::TFMain::MontrerFenetre);
    QObject::connect(&tray, &vaskor::IconeTray::QuitterDemande, &fenetre, &vaskor::TFMain::Quitter);

    vaskor::EnvironnementConfig environnement;
    environnement.sortieSonPresente = vaskor::SortieAudioDisponible();
    const vaskor::ResultatDossier donnees = vaskor::DossierProgrammeDetaille();
    if (!donnees.erreur.empty()) {
        // Without its folder nothing the user enters could be kept.
        fenetre.Message("Erreur", vaskor::Utf8VersCp1252(donnees.erreur), vaskor::IconeMessage::Erreur);
        return 1;
    }
    const std::filesystem::path dossier = donnees.dossier;
    vaskor::RetirerTemporairesAbandonnes(dossier);
    fenetre.ChargerDonnees(dossier, environnement);
    fenetre.ResoudreJournalEnSuspens();
    // A read-only portable copy: the user hears once where the data went.
    vaskor::SignalerDossierEcarte(&fenetre, fenetre.Boites(), donnees);
    // The scratch folder where the preview saves attachments before they are opened.
    std::error_code ec;
    std::filesystem::create_directories(dossier / "temp", ec);
    std::filesystem::permissions(dossier / "temp", std::filesystem::perms::owner_all, ec);

    // Logout, shutdown or Ctrl+C: the data are kept as "Quitter" keeps them, no question asked.
    std::unique_ptr<QSocketNotifier> signaux;
    if (vaskor::SignauxFin::Installer()) {
        signaux = std::make_unique<QSocketNotifier>(vaskor::SignauxFin::Descripteur(), QSocketNotifier::Read);
        QObject::connect(signaux.get(), &QSocketNotifier::activated, &fenetre, [&fenetre] {
            vaskor::SignauxFin::Vider();
            fenetre.TerminerSurSignal();
        });
    }
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &fenetre, [&fenetre] { fenetre.TerminerSurSignal(); });

    // A second start brings this window forward (from the tray too).
    garde.SurActivation([&fenetre] { fenetre.MontrerFenetre(); });

    vaskor::TFAide aide(&fenetre);
    aide.DefinirDossierDonnees(QString::fromStdString(dossier.string()));
    fenetre.BrancherCommande(vaskor::Commande::Aide, [&aide] { aide.exec(); });
    fenetre.BrancherCommande(vaskor::Commande::LancerMessagerie, [&fenetre] {
        const vaskor::ResultatLancement r = vaskor::LancerMessagerie();
        if (r.code == vaskor::CodeLancement::RienALancer)
            fenetre.Message("Information", vaskor::TexteAucuneMessagerie(), vaskor::IconeMessage::Information);
        else if (!r.message.empty())
            fenetre.Message("Erreur", r.message, vaskor::IconeMessage::Erreur);
    });

    // Started hidden: the window is closed before it was ever shown, which, since it hides on
    // close, puts it straight into the tray (or minimised, on a desktop without one).
    if (fenetre.Config().MasquerAuLancement) fenetre.close();
    else fenetre.show();
    // After the window is shown or hidden: a start-up check of a hidden program puts the icon in
    // the tray first.
    fenetre.DemarrerControlesAuto();
    return app.exec();
}
