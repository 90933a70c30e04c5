#include "platform/gui/sons.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMessageBox>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace vaskor {

namespace {

constexpr std::array<SonControle, 3> kSons = {SonControle::MsgOK, SonControle::MsgAMarquer, SonControle::MsgAEffacer};

int Indice(SonControle son)
{
    switch (son) {
    case SonControle::MsgOK: return 0;
    case SonControle::MsgAMarquer: return 1;
    case SonControle::MsgAEffacer: return 2;
    }
    return 0;
}

// QSoundEffect plays uncompressed wave files only; anything else goes to the default sound
// before it is even tried.
bool EstFichierWave(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray entete = f.read(12);
    return entete.size() == 12 && entete.startsWith("RIFF") && entete.mid(8, 4) == "WAVE";
}

QUrl Url(const QString& chemin)
{
    return chemin.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + chemin) : QUrl::fromLocalFile(chemin);
}

// A user file that turns out unplayable (a compressed wave...) is only known once loaded; the
// sound asked for then is the default one.
const char* const kEnAttente = "vaskorEnAttente";

}  // namespace

const QString& ReglagesSons::Fichier(SonControle son) const
{
    switch (son) {
    case SonControle::MsgAMarquer: return msgAMarquer;
    case SonControle::MsgAEffacer: return msgAEffacer;
    case SonControle::MsgOK: break;
    }
    return msgOK;
}

ReglagesSons ReglagesSons::DepuisConfig(const TConfig& config)
{
    auto q = [](const Texte& t) { return QString::fromStdString(Cp1252VersUtf8(t)); };
    ReglagesSons r;
    r.jouerSons = config.JouerSons;
    r.sonsParDef = config.SonsParDef;
    r.msgOK = q(config.MsgOK);
    r.msgAMarquer = q(config.MsgAMarquer);
    r.msgAEffacer = q(config.MsgAEffacer);
    return r;
}

ChoixSon ChoisirSon(SonControle son, const ReglagesSons& reglages, bool sortieAudio)
{
    ChoixSon c;
    if (!reglages.jouerSons || !sortieAudio) return c;
    if (reglages.sonsParDef) {
        c.source = SourceSon::Integre;
        return c;
    }
    const QString& f = reglages.Fichier(son);
    const QFileInfo info(f);
    if (!f.isEmpty() && info.isFile() && info.isReadable() && EstFichierWave(f)) {
        c.source = SourceSon::Fichier;
        c.fichier = info.absoluteFilePath();
    } else {
        c.source = SourceSon::Defaut;
    }
    return c;
}

namespace {

// Qt's audio outputs go through the desktop's sound server (PulseAudio, or PipeWire's
// PulseAudio service). Asking Qt for devices when no server runs makes it print warnings,
// and every sound loaded afterwards one more: the server's socket is looked for first.
bool ServeurSonJoignable()
{
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) return true;
    QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (runtime.isEmpty()) runtime = QStringLiteral("/run/user/%1").arg(::getuid());
    for (const QString& s : {runtime + QStringLiteral("/pulse/native"), runtime + QStringLiteral("/pipewire-0"),
                             QStringLiteral("/run/pulse/native"), QStringLiteral("/var/run/pulse/native")})
        if (QFileInfo::exists(s)) return true;
    return false;
}

}  // namespace

bool SortieAudioDisponible()
{
    // Once per run: a computer without sound stays silent, and says nothing about it.
    static const bool presente = ServeurSonJoignable() && !QMediaDevices::audioOutputs().isEmpty();
    return presente;
}

QString RessourceSon(SonControle son)
{
    switch (son) {
    case SonControle::MsgAMarquer: return QStringLiteral(":/sons/SON_MSG_A_MARQUER.wav");
    case SonControle::MsgAEffacer: return QStringLiteral(":/sons/SON_MSG_A_EFFACER.wav");
    case SonControle::MsgOK: break;
    }
    return QStringLiteral(":/sons/SON_MSG_OK.wav");
}

QString RessourceSonDefaut() { return QStringLiteral(":/sons/SON_DEFAUT.wav"); }

QString TexteTestSon(SonControle son)
{
    switch (son) {
    case SonControle::MsgAMarquer:
        return QStringLiteral("Cliquer sur [OK] pour entendre le son des messages à marquer.");
    case SonControle::MsgAEffacer:
        return QStringLiteral("Cliquer sur [OK] pour entendre le son des messages à effacer.");
    case SonControle::MsgOK: break;
    }
    return QStringLiteral("Cliquer sur [OK] pour entendre le son des messages valides.");
}

LecteurSons::LecteurSons(QObject* parent) : QObject(parent) {}

LecteurSons::~LecteurSons() { Liberer(); }

void LecteurSons::Charger()
{
    Liberer();
    sortieAudio_ = SortieAudioDisponible();
    for (SonControle s : kSons) ressources_[Indice(s)] = QFile::exists(RessourceSon(s));
    // Without an output nothing is ever played: no sound object is made, so the sound system
    // is never asked for a device it would only complain about.
    if (!sortieAudio_) return;
    // Headphones plugged in after start-up count too.
    if (!appareils_) {
        appareils_ = new QMediaDevices(this);
        connect(appareils_, &QMediaDevices::audioOutputsChanged, this,
                [this] { sortieAudio_ = !QMediaDevices::audioOutputs().isEmpty(); });
    }

    auto charger = [this](const QString& ressource) -> QSoundEffect* {
        if (!QFile::exists(ressource)) return nullptr;
        auto* e = new QSoundEffect(this);
        e->setSource(Url(ressource));
        return e;
    };
    for (SonControle s : kSons) integres_[Indice(s)] = charger(RessourceSon(s));
    defaut_ = charger(RessourceSonDefaut());
}

void LecteurSons::Liberer()
{
    ressources_.fill(false);
    for (auto*& e : integres_) {
        delete e;
        e = nullptr;
    }
    delete defaut_;
    defaut_ = nullptr;
    qDeleteAll(fichiers_);
    fichiers_.clear();
}

bool LecteurSons::IntegreCharge(SonControle son) const
{
    const QSoundEffect* e = integres_[Indice(son)];
    if (!sortieAudio_) return ressources_[Indice(son)];
    return e && e->status() != QSoundEffect::Error;
}

bool LecteurSons::UnSonJoue() const
{
    for (const QSoundEffect* e : integres_)
        if (e && e->isPlaying()) return true;
    if (defaut_ && defaut_->isPlaying()) return true;
    for (const QSoundEffect* e : fichiers_)
        if (e->isPlaying()) return true;
    return false;
}

QSoundEffect* LecteurSons::EffetFichier(const QString& fichier)
{
    if (QSoundEffect* e = fichiers_.value(fichier)) return e;
    auto* e = new QSoundEffect(this);
    connect(e, &QSoundEffect::statusChanged, this, [this, e] {
        if (e->status() != QSoundEffect::Error || !e->property(kEnAttente).toBool()) return;
        e->setProperty(kEnAttente, false);
        if (defaut_ && !UnSonJoue()) defaut_->play();
    });
    connect(e, &QSoundEffect::playingChanged, this, [e] {
        if (e->isPlaying()) e->setProperty(kEnAttente, false);
    });
    e->setSource(Url(fichier));
    fichiers_.insert(fichier, e);
    return e;
}

QSoundEffect* LecteurSons::Effet(const ChoixSon& choix, SonControle son)
{
    switch (choix.source) {
    case SourceSon::Aucune: return nullptr;
    case SourceSon::Integre: return integres_[Indice(son)];
    case SourceSon::Defaut: return defaut_;
    case SourceSon::Fichier: {
        QSoundEffect* e = EffetFichier(choix.fichier);
        return e->status() == QSoundEffect::Error ? defaut_ : e;
    }
    }
    return nullptr;
}

void LecteurSons::Jouer(SonControle son, const ReglagesSons& reglages)
{
    QSoundEffect* e = Effet(ChoisirSon(son, reglages, sortieAudio_), son);
    if (!e || e->status() == QSoundEffect::Error || UnSonJoue()) return;
    e->setProperty(kEnAttente, true);
    e->play();
}

void LecteurSons::JouerEtAttendre(SonControle son, const ReglagesSons& reglages)
{
    const ChoixSon choix = ChoisirSon(son, reglages, sortieAudio_);
    QSoundEffect* e = Effet(choix, son);
    for (int essai = 0; e && essai < 2; ++essai) {
        if (e->status() == QSoundEffect::Error) {
            if (choix.source != SourceSon::Fichier || e == defaut_) return;
            e = defaut_;
            continue;
        }
        e->stop();
        QEventLoop boucle;
        bool commence = false;
        auto* effet = e;
        auto surEtat = [&] {
            if (effet->status() == QSoundEffect::Error) boucle.quit();
            else if (effet->isPlaying()) commence = true;
            else if (commence) boucle.quit();
        };
        const auto c1 = connect(e, &QSoundEffect::playingChanged, &boucle, surEtat);
        const auto c2 = connect(e, &QSoundEffect::statusChanged, &boucle, surEtat);
        // A sound that never starts or never reports its end (an output that vanished) must
        // not hold the dialog.
        QTimer::singleShot(15000, &boucle, &QEventLoop::quit);
        e->setProperty(kEnAttente, false);
        e->play();
        surEtat();
        if (!(commence && !e->isPlaying()) && e->status() != QSoundEffect::Error) boucle.exec();
        disconnect(c1);
        disconnect(c2);
        // A user file found unplayable while loading: the default sound is heard instead.
        if (e->status() != QSoundEffect::Error || e == defaut_) return;
        e = defaut_;
    }
}

void TesterSons(QWidget* parent, LecteurSons& lecteur, const ReglagesSons& reglages)
{
    ReglagesSons r = reglages;
    r.jouerSons = true;  // the button is only enabled when "&Jouer les sons" is ticked
    for (SonControle s : kSons) {
        QMessageBox boite(QMessageBox::NoIcon, QStringLiteral("Vaskor"), TexteTestSon(s), QMessageBox::Ok, parent);
        boite.exec();
        lecteur.JouerEtAttendre(s, r);
    }
}

}  // namespace vaskor
