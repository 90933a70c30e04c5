#pragma once
// The journal window: the lines of the journal file followed by those of the current run, in a
// six-column list sortable by column. The file is read and its lines cut on a worker thread;
// the rows reach the list on the window's thread in batches, so the window keeps answering
// while a long journal comes in.

#include "core/fichiers.h"
#include "core/journal.h"
#include "ui/modele_journal.h"

#include <QDialog>

#include <memory>
#include <vector>

class QPushButton;
class QThread;
class QTreeView;

namespace vaskor {

class BoitesMessage;

class TFMailsSupp : public QDialog {
    Q_OBJECT
public:
    // `journal` is the pending journal of the main window; it must outlive this window (the
    // worker copies it under its lock). `boites` shows the read failure.
    TFMailsSupp(fs::path dossier, const JournalEnAttente& journal, BoitesMessage& boites, QWidget* parent = nullptr);
    // Waits for a worker still reading, so it never outlives the window.
    ~TFMailsSupp() override;

    // The menu command "Journal..." (EmailsSupprimes1Click): rows cleared, loading started, the
    // window shown modally until "Fermer".
    static void Executer(QWidget* parent, const fs::path& dossier, const JournalEnAttente& journal,
                         BoitesMessage& boites);

    // Clears the rows and starts loading; a request while a loading is under way is ignored.
    void Charger();
    bool ChargementEnCours() const { return enCours_; }
    // Rows inserted per turn of the event loop.
    void DefinirTailleLot(int n) { tailleLot_ = n > 0 ? n : 1; }

    QTreeView* LVMailsSupp() const { return lvMailsSupp_; }
    ModeleJournal* Modele() const { return modele_; }
    QPushButton* BFermer() const { return bFermer_; }

    // A click on a column header (LVMailsSuppColumnClick).
    void LVMailsSuppColumnClick(int colonne);

signals:
    // Every row of the loading is in the list (also after a read failure).
    void ChargementTermine();

protected:
    void showEvent(QShowEvent* e) override;

private:
    struct Chargement {
        ResultatFichier resultat;
        std::vector<RangJournalAffiche> rangs;
    };

    void FinLecture();
    void InsererLot();
    void FinChargement();

    fs::path dossier_;
    const JournalEnAttente& journal_;
    BoitesMessage& boites_;
    ModeleJournal* modele_;
    QTreeView* lvMailsSupp_;
    QPushButton* bFermer_;

    QThread* travailleur_ = nullptr;
    std::shared_ptr<Chargement> chargement_;
    std::size_t suivant_ = 0;
    bool enCours_ = false;
    int tailleLot_ = 200;
};

// The message shown when the journal file cannot be read; `detail` is the system's reason.
Texte MessageErreurLectureJournal(const Texte& detail);

}  // namespace vaskor
