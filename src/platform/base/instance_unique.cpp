#include "platform/base/instance_unique.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

namespace vaskor {

namespace {

// Holds an advisory lock on the socket's folder while one copy looks for another and starts
// listening: two copies started together (or two starting after a crash) would otherwise both
// find no one, and the second would remove the first one's fresh socket. Locking the folder
// itself creates no file. The wait is bounded: a folder that stays locked (someone else's lock
// on a shared temporary folder) must not keep Vaskor from starting.
class VerrouDossier {
public:
    explicit VerrouDossier(const QString& dossier)
    {
        fd_ = ::open(QFile::encodeName(dossier).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return;
        for (int essai = 0; essai < 100; ++essai) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                verrouille_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) return;
            const timespec pause{0, 20 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
        }
    }
    ~VerrouDossier()
    {
        if (fd_ < 0) return;
        if (verrouille_) ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    VerrouDossier(const VerrouDossier&) = delete;
    VerrouDossier& operator=(const VerrouDossier&) = delete;

private:
    int fd_ = -1;
    bool verrouille_ = false;
};

// The one request a new copy makes.
constexpr char kActiver[] = "activer\n";

// A copy that listens accepts the connection at once (the kernel queues it even while that copy
// is busy in a check); a socket file without a listener refuses it at once. The request goes
// with the connection: the running copy reads it when its event loop next turns.
bool QuelquUnRepond(const QString& chemin)
{
    QLocalSocket s;
    s.connectToServer(chemin);
    if (!s.waitForConnected(2000)) return false;
    s.write(kActiver, qint64(sizeof(kActiver) - 1));
    s.waitForBytesWritten(1000);
    s.disconnectFromServer();
    if (s.state() != QLocalSocket::UnconnectedState) s.waitForDisconnected(1000);
    return true;
}

}  // namespace

GardeInstance::GardeInstance(QString chemin) : chemin_(std::move(chemin)) {}

GardeInstance::~GardeInstance()
{
    if (serveur_) serveur_->close();  // removes the socket file
}

bool GardeInstance::Acquise() const { return serveur_ && serveur_->isListening(); }

bool GardeInstance::Acquerir()
{
    if (Acquise()) return true;
    VerrouDossier verrou(QFileInfo(chemin_).absolutePath());
    if (QuelquUnRepond(chemin_)) return false;

    // No access options: they make Qt bind in a temporary folder and rename over the path, and
    // the socket accepts connections only to drop them, so other users reaching it gain nothing.
    auto serveur = std::make_unique<QLocalServer>();
    if (!serveur->listen(chemin_)) {
        // Nobody answered, so a socket file still there is a crashed copy's leftover.
        QLocalServer::removeServer(chemin_);
        if (!serveur->listen(chemin_)) return true;  // no guard possible; run unguarded
    }
    // A new copy sends one short request; anything else (another user's program reaching a
    // socket in a shared temporary folder) is dropped unread beyond a few bytes.
    QObject::connect(serveur.get(), &QLocalServer::newConnection, serveur.get(), [this, s = serveur.get()] {
        while (QLocalSocket* c = s->nextPendingConnection()) {
            auto lire = [this, c] {
                const QByteArray recu = c->read(sizeof(kActiver) - 1);
                if (recu == QByteArray(kActiver) && activation_) activation_();
                c->disconnectFromServer();
            };
            QObject::connect(c, &QLocalSocket::readyRead, c, lire);
            QObject::connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
            if (c->bytesAvailable() >= qint64(sizeof(kActiver) - 1)) lire();
        }
    });
    serveur_ = std::move(serveur);
    return true;
}

QString GardeInstance::CheminSocketInstance()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString dossier = QFile::decodeName(runtime);
        const QFileInfo info(dossier);
        if (info.isAbsolute() && info.isDir() && info.isWritable())
            return dossier + QStringLiteral("/vaskor.instance");
    }
    return QDir::tempPath() + QStringLiteral("/vaskor-%1.instance").arg(::getuid());
}

}  // namespace vaskor
