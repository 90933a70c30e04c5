#pragma once
// Vaskor runs once per user: two copies would check the same mailboxes, delete by the same
// filters and overwrite each other's data files. The running copy listens on a local socket;
// a new copy that reaches it asks it to show its window, then ends at once.

#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace vaskor {

class GardeInstance {
public:
    // `chemin`: the socket's full path; the default is the per-user one (CheminSocketInstance).
    explicit GardeInstance(QString chemin = CheminSocketInstance());
    ~GardeInstance();
    GardeInstance(const GardeInstance&) = delete;
    GardeInstance& operator=(const GardeInstance&) = delete;

    // True when this process is now the one running copy (it keeps listening until destroyed);
    // false when another copy answers on the socket (it has then been asked to show itself). A socket left behind by a copy that crashed
    // answers nobody: it is removed and taken over. When the socket cannot be created at all the
    // program is let run rather than refused.
    bool Acquerir();
    bool Acquise() const;
    // In the running copy: what to do when another copy starts (show and raise the window).
    // Called on the thread of the event loop.
    void SurActivation(std::function<void()> f) { activation_ = std::move(f); }
    const QString& Chemin() const { return chemin_; }

    // $XDG_RUNTIME_DIR/vaskor.instance, or vaskor-<uid>.instance in the temporary folder when the
    // session has no runtime folder.
    static QString CheminSocketInstance();

private:
    QString chemin_;
    std::unique_ptr<QLocalServer> serveur_;
    std::function<void()> activation_;
};

}  // namespace vaskor
