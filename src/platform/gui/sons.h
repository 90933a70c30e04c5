#pragma once
// The sounds of a check: one per verdict (accepted, to mark, to delete), either the three
// built-in ones carried in the program or three wave files chosen by the user. They play in the
// background; the check never waits for them.

#include "core/config.h"
#include "engine/fenetre.h"  // SonControle

#include <QHash>
#include <QObject>
#include <QString>

#include <array>

class QMediaDevices;
class QSoundEffect;
class QWidget;

namespace vaskor {

// The sound settings, as TConfig holds them (or as the options dialog shows them).
struct ReglagesSons {
    bool jouerSons = true;   // JouerSons
    bool sonsParDef = true;  // SonsParDef
    QString msgOK;           // MsgOK
    QString msgAMarquer;     // MsgAMarquer
    QString msgAEffacer;     // MsgAEffacer
    const QString& Fichier(SonControle son) const;
    // The settings' fields; file names go from code page 1252 to the file system's UTF-8.
    static ReglagesSons DepuisConfig(const TConfig& config);
};

enum class SourceSon {
    Aucune,   // nothing is played
    Integre,  // the built-in sound of the kind
    Fichier,  // the user's file
    Defaut,   // the neutral sound that stands in for a user file that cannot be played
};

struct ChoixSon {
    SourceSon source = SourceSon::Aucune;
    QString fichier;  // for SourceSon::Fichier
};

// What "play sound (kind)" plays. Nothing without `JouerSons` or without an audio output; the
// built-in sound with `SonsParDef`; otherwise the user's file when it is a readable wave file,
// else the default sound (an empty name included).
ChoixSon ChoisirSon(SonControle son, const ReglagesSons& reglages, bool sortieAudio);

// True when the computer has at least one audio output, found once per run (without a sound
// server Qt is not even asked, so nothing is printed). The settings' `JouerSons` is kept only
// when this holds (and the options dialog disables "&Jouer les sons" otherwise).
bool SortieAudioDisponible();

// The resource of a built-in sound: ":/sons/SON_MSG_OK.wav", ":/sons/SON_MSG_A_MARQUER.wav",
// ":/sons/SON_MSG_A_EFFACER.wav"; the default sound is ":/sons/SON_DEFAUT.wav".
QString RessourceSon(SonControle son);
QString RessourceSonDefaut();

// The texts of the options dialog's "&Tester", one per kind.
QString TexteTestSon(SonControle son);

class LecteurSons : public QObject {
    Q_OBJECT
public:
    explicit LecteurSons(QObject* parent = nullptr);
    ~LecteurSons() override;

    // Loads the built-in sounds into memory, once at start-up. A sound whose resource is
    // missing stays silent; without an audio output nothing is loaded and nothing plays.
    void Charger();
    // Releases them (the end of the program).
    void Liberer();
    bool IntegreCharge(SonControle son) const;

    // Plays the sound of a verdict and returns at once. While another sound is playing the new
    // one is skipped, so a check of many messages does not pile them up. Failures are ignored;
    // a user file that cannot be played gives the default sound.
    void Jouer(SonControle son, const ReglagesSons& reglages);

    // The options dialog's test: plays the sound and returns when it has ended (window events
    // are processed meanwhile).
    void JouerEtAttendre(SonControle son, const ReglagesSons& reglages);

private:
    QSoundEffect* Effet(const ChoixSon& choix, SonControle son);
    QSoundEffect* EffetFichier(const QString& fichier);
    bool UnSonJoue() const;

    std::array<QSoundEffect*, 3> integres_{};
    std::array<bool, 3> ressources_{};  // the built-in sound is in the program
    QSoundEffect* defaut_ = nullptr;
    QHash<QString, QSoundEffect*> fichiers_;
    bool sortieAudio_ = false;
    QMediaDevices* appareils_ = nullptr;
};

// "&Tester" of the options dialog: for each kind in the order OK, AMarquer, AEffacer, a box
// titled "Vaskor" with only an OK button and the kind's text, then its sound, waited for.
// `reglages` are the dialog's current choices.
void TesterSons(QWidget* parent, LecteurSons& lecteur, const ReglagesSons& reglages);

}  // namespace vaskor
