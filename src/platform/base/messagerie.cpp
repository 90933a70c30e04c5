#include "platform/base/messagerie.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace vaskor {

namespace {

const QString kMailto = QStringLiteral("x-scheme-handler/mailto");

QStringList ListeDossiers(const char* variable, const QStringList& defaut)
{
    const QString v = QFile::decodeName(qgetenv(variable));
    QStringList r;
    for (const QString& d : v.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d)) r << d;
    return r.isEmpty() ? defaut : r;
}

QString Dossier(const char* variable, const QString& defaut)
{
    const QString v = QFile::decodeName(qgetenv(variable));
    return QDir::isAbsolutePath(v) ? v : defaut;
}

// A group of an INI-like freedesktop file: its keys in file order, values raw.
QList<QPair<QString, QString>> LireGroupe(const QString& chemin, const QString& groupe, bool* trouve = nullptr)
{
    QList<QPair<QString, QString>> cles;
    if (trouve) *trouve = false;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return cles;
    bool dedans = false;
    // Association and entry files are small; a huge one is not one of them.
    const QByteArray contenu = f.read(1 << 20);
    for (const QByteArray& brute : contenu.split('\n')) {
        const QString ligne = QString::fromUtf8(brute).trimmed();
        if (ligne.isEmpty() || ligne.startsWith(QLatin1Char('#'))) continue;
        if (ligne.startsWith(QLatin1Char('['))) {
            dedans = ligne == QLatin1Char('[') + groupe + QLatin1Char(']');
            if (dedans && trouve) *trouve = true;
            continue;
        }
        if (!dedans) continue;
        const qsizetype egal = ligne.indexOf(QLatin1Char('='));
        if (egal <= 0) continue;
        cles.append({ligne.left(egal).trimmed(), ligne.mid(egal + 1).trimmed()});
    }
    return cles;
}

QStringList ValeursListe(const QList<QPair<QString, QString>>& groupe, const QString& cle)
{
    QStringList r;
    for (const auto& [k, v] : groupe)
        if (k == cle) r << v.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& s : r) s = s.trimmed();
    r.removeAll(QString());
    return r;
}

// Undoes the escapes of a desktop-entry string value. Unknown escapes stay as written, so that
// the Exec quoting rules still see them.
QString DeschapperChaine(const QString& v)
{
    QString r;
    r.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] != QLatin1Char('\\') || i + 1 >= v.size()) {
            r += v[i];
            continue;
        }
        const QChar c = v[++i];
        if (c == QLatin1Char('s')) r += QLatin1Char(' ');
        else if (c == QLatin1Char('n')) r += QLatin1Char('\n');
        else if (c == QLatin1Char('t')) r += QLatin1Char('\t');
        else if (c == QLatin1Char('r')) r += QLatin1Char('\r');
        else if (c == QLatin1Char('\\')) r += QLatin1Char('\\');
        else r += QLatin1Char('\\') + QString(c);
    }
    return r;
}

QString RognerCodes(const QString& s)
{
    qsizetype debut = 0, fin = s.size();
    while (debut < fin && s[debut].unicode() < 33) ++debut;
    while (fin > debut && s[fin - 1].unicode() < 33) --fin;
    return s.mid(debut, fin - debut);
}

bool Installee(const EnvironnementXdg& env, const QString& id)
{
    const QString f = FichierApplication(env, id);
    if (f.isEmpty()) return false;
    const EntreeBureau e = LireEntreeBureau(f);
    return e.lue && !e.cachee;
}

// The mimeapps.list files, most important first.
QStringList FichiersAssociations(const EnvironnementXdg& env)
{
    QStringList dossiers;
    dossiers << env.configHome << env.configDirs;
    dossiers << env.dataHome + QStringLiteral("/applications");
    for (const QString& d : env.dataDirs) dossiers << d + QStringLiteral("/applications");
    QStringList fichiers;
    for (const QString& d : dossiers) {
        if (d.isEmpty()) continue;
        for (const QString& b : env.bureaux) fichiers << d + QLatin1Char('/') + b + QStringLiteral("-mimeapps.list");
        fichiers << d + QStringLiteral("/mimeapps.list");
    }
    return fichiers;
}

QString DemanderXdgMime()
{
    const QString outil = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (outil.isEmpty()) return {};
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(outil, {QStringLiteral("query"), QStringLiteral("default"), kMailto});
    if (!p.waitForStarted(3000) || !p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
    const QString r = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    // One id on one line, nothing else.
    return r.contains(QLatin1Char('\n')) || !r.endsWith(QStringLiteral(".desktop")) ? QString() : r;
}

bool EstCodeObsolete(QChar c)
{
    return QStringLiteral("fFuUdDnNvm").contains(c);
}

QString Joindre(const QStringList& args)
{
    QStringList parties;
    for (const QString& a : args) {
        if (a.isEmpty() || a.contains(QLatin1Char(' ')) || a.contains(QLatin1Char('\t')) || a.contains(QLatin1Char('"')))
            parties << QLatin1Char('"') + QString(a).replace(QLatin1Char('"'), QStringLiteral("\\\"")) + QLatin1Char('"');
        else
            parties << a;
    }
    return parties.join(QLatin1Char(' '));
}

}  // namespace

EnvironnementXdg EnvironnementXdg::DepuisSysteme()
{
    EnvironnementXdg e;
    const QString home = QDir::homePath();
    e.configHome = Dossier("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    e.configDirs = ListeDossiers("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    e.dataHome = Dossier("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    e.dataDirs = ListeDossiers("XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    for (const QString& b : QString::fromUtf8(qgetenv("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        e.bureaux << b.toLower();
    return e;
}

QString FichierApplication(const EnvironnementXdg& env, const QString& idBureau)
{
    if (idBureau.isEmpty() || idBureau.contains(QLatin1Char('/')) || !idBureau.endsWith(QStringLiteral(".desktop")))
        return {};
    QStringList dossiers;
    dossiers << env.dataHome << env.dataDirs;
    for (const QString& d : dossiers) {
        if (d.isEmpty()) continue;
        const QString base = d + QStringLiteral("/applications/");
        if (QFileInfo(base + idBureau).isFile()) return base + idBureau;
        // "vendor-app.desktop" may live in applications/vendor/app.desktop.
        QString sous = idBureau;
        const qsizetype finNom = sous.size() - qsizetype(sizeof(".desktop") - 1);
        for (qsizetype i = 0; i < finNom; ++i) {
            if (sous[i] != QLatin1Char('-')) continue;
            sous[i] = QLatin1Char('/');
            if (QFileInfo(base + sous).isFile()) return base + sous;
        }
    }
    return {};
}

EntreeBureau LireEntreeBureau(const QString& chemin)
{
    EntreeBureau e;
    bool trouve = false;
    const auto groupe = LireGroupe(chemin, QStringLiteral("Desktop Entry"), &trouve);
    e.lue = trouve;
    for (const auto& [k, v] : groupe) {
        if (k == QStringLiteral("Exec")) e.exec = DeschapperChaine(v);
        else if (k == QStringLiteral("Name")) e.nom = DeschapperChaine(v);
        else if (k == QStringLiteral("Icon")) e.icone = DeschapperChaine(v);
        else if (k == QStringLiteral("Terminal")) e.terminal = v == QStringLiteral("true");
        else if (k == QStringLiteral("Hidden")) e.cachee = v == QStringLiteral("true");
    }
    return e;
}

QString GestionnaireMailto(const EnvironnementXdg& env)
{
    const QStringList fichiers = FichiersAssociations(env);
    // The defaults first, in precedence order; an id naming nothing installed is passed over.
    for (const QString& f : fichiers)
        for (const QString& id : ValeursListe(LireGroupe(f, QStringLiteral("Default Applications")), kMailto))
            if (Installee(env, id)) return id;
    // No default: the applications the user or the system associated, then those that declare
    // the scheme themselves (the cache the desktop builds from the entries).
    for (const QString& f : fichiers)
        for (const QString& id : ValeursListe(LireGroupe(f, QStringLiteral("Added Associations")), kMailto))
            if (Installee(env, id)) return id;
    QStringList dossiers;
    dossiers << env.dataHome << env.dataDirs;
    for (const QString& d : dossiers) {
        if (d.isEmpty()) continue;
        const QString base = d + QStringLiteral("/applications/");
        for (const QString& id : ValeursListe(LireGroupe(base + QStringLiteral("defaults.list"), QStringLiteral("Default Applications")), kMailto))
            if (Installee(env, id)) return id;
        for (const QString& id : ValeursListe(LireGroupe(base + QStringLiteral("mimeinfo.cache"), QStringLiteral("MIME Cache")), kMailto))
            if (Installee(env, id)) return id;
    }
    return {};
}

QString NettoyerCommandeMessagerie(const QString& commande, const QString& programFiles, bool* cheminSeul)
{
    if (cheminSeul) *cheminSeul = false;
    QString c = RognerCodes(commande);
    if (!c.contains(QStringLiteral("Program"))) return c;
    // Written for commands such as "C:\Program Files\App\app.exe" -mail: the folder is rebuilt from
    // the environment. A command without "\" has no folder part to replace.
    if (const qsizetype barre = c.indexOf(QLatin1Char('\\')); barre >= 0) c = programFiles + c.mid(barre);
    c.remove(QLatin1Char('"'));
    c = RognerCodes(c);
    qsizetype exe = c.indexOf(QStringLiteral(".exe"));
    while (exe >= 0 && c.size() - (exe + 4) < 2) exe = c.indexOf(QStringLiteral(".exe"), exe + 1);
    if (exe >= 0) {
        c.truncate(exe + 4);
        if (cheminSeul) *cheminSeul = true;
    }
    return c;
}

QStringList DecouperExec(const QString& exec, const EntreeBureau& entree, const QString& fichierEntree)
{
    // Words, with quoting undone.
    QStringList mots;
    QString mot;
    bool commence = false;
    enum { Dehors, Doubles, Simples } etat = Dehors;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        switch (etat) {
        case Dehors:
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                if (commence) mots << mot;
                mot.clear();
                commence = false;
            } else if (c == QLatin1Char('"')) {
                etat = Doubles;
                commence = true;
            } else if (c == QLatin1Char('\'')) {
                etat = Simples;
                commence = true;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                mot += exec[++i];
                commence = true;
            } else {
                mot += c;
                commence = true;
            }
            break;
        case Doubles:
            if (c == QLatin1Char('"')) {
                etat = Dehors;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size() &&
                       QStringLiteral("\"`$\\\n").contains(exec[i + 1])) {
                mot += exec[++i];
            } else {
                mot += c;
            }
            break;
        case Simples:
            if (c == QLatin1Char('\'')) etat = Dehors;
            else mot += c;
            break;
        }
    }
    if (commence) mots << mot;  // an unclosed quote ends with the line

    QStringList args;
    for (const QString& m : mots) {
        if (m == QStringLiteral("@@") || m == QStringLiteral("@@u")) continue;
        if (m.size() == 2 && m[0] == QLatin1Char('%')) {
            if (EstCodeObsolete(m[1])) continue;
            if (m[1] == QLatin1Char('i')) {
                if (!entree.icone.isEmpty()) args << QStringLiteral("--icon") << entree.icone;
                continue;
            }
        }
        QString r;
        for (qsizetype i = 0; i < m.size(); ++i) {
            if (m[i] != QLatin1Char('%') || i + 1 >= m.size()) {
                r += m[i];
                continue;
            }
            const QChar code = m[++i];
            if (code == QLatin1Char('%')) r += QLatin1Char('%');
            else if (code == QLatin1Char('c')) r += entree.nom;
            else if (code == QLatin1Char('k')) r += fichierEntree;
            // every other code stands for files or addresses, of which there are none
        }
        if (r.isEmpty() && !m.isEmpty()) continue;
        args << r;
    }
    return args;
}

CommandeMessagerie TrouverCommandeMessagerie(const EnvironnementXdg& env, bool demanderXdgMime)
{
    CommandeMessagerie r;
    QString fichier;
    if (demanderXdgMime) {
        const QString id = DemanderXdgMime();
        fichier = FichierApplication(env, id);
    }
    if (fichier.isEmpty()) fichier = FichierApplication(env, GestionnaireMailto(env));
    if (fichier.isEmpty()) return r;
    const EntreeBureau entree = LireEntreeBureau(fichier);
    if (!entree.lue || entree.cachee) return r;

    r.trouvee = true;
    bool cheminSeul = false;
    const QString commande =
        NettoyerCommandeMessagerie(entree.exec, QFile::decodeName(qgetenv("ProgramFiles")), &cheminSeul);
    if (cheminSeul) {
        r.arguments = QStringList{commande};
        r.texte = commande;
    } else {
        r.arguments = DecouperExec(commande, entree, fichier);
        r.texte = Joindre(r.arguments);
    }
    if (entree.terminal && !r.arguments.isEmpty()) {
        // A terminal program (mutt, alpine...) needs a terminal to run in.
        for (const char* terminal : {"x-terminal-emulator", "xterm"}) {
            const QString t = QStandardPaths::findExecutable(QString::fromLatin1(terminal));
            if (t.isEmpty()) continue;
            r.arguments = QStringList{t, QStringLiteral("-e")} + r.arguments;
            break;
        }
    }
    return r;
}

Texte TexteEchecMessagerie(CodeLancement code, const Texte& commande)
{
    const char* cause = nullptr;
    switch (code) {
    case CodeLancement::PasAssezDeMemoire: cause = "Pas assez de mémoire."; break;
    case CodeLancement::FichierNonTrouve: cause = "Fichier non trouvé."; break;
    case CodeLancement::CheminNonTrouve: cause = "Chemin non trouvé."; break;
    case CodeLancement::AccesRefuse: cause = "Accès non autorisé."; break;
    case CodeLancement::FormatInvalide: cause = "Format de l'exécutable invalide."; break;
    case CodeLancement::ViolationPartage: cause = "Violation de partage."; break;
    case CodeLancement::AssociationInvalide: cause = "Association invalide."; break;
    default: return {};
    }
    return "Problème au lancement de la messagerie.\r\n\t-> "_cp + Utf8VersCp1252(cause) + "\r\n(" + commande + ")";
}

Texte TexteAucuneMessagerie()
{
    return Utf8VersCp1252(
        "Aucun programme de messagerie n'est configuré.\r\n"
        "Choisissez-en un dans les réglages de votre bureau (applications par défaut, courrier électronique), "
        "ou avec la commande :\r\n\txdg-mime default <programme>.desktop x-scheme-handler/mailto");
}

ResultatLancement LancerCommande(const CommandeMessagerie& commande)
{
    ResultatLancement r;
    r.commande = Utf8VersCp1252(commande.texte.toStdString());
    auto echec = [&r](CodeLancement code) {
        r.code = code;
        r.message = TexteEchecMessagerie(code, r.commande);
        return r;
    };
    if (!commande.trouvee) return r;
    if (commande.arguments.isEmpty() || commande.arguments.first().isEmpty())
        return echec(CodeLancement::AssociationInvalide);

    QString programme = commande.arguments.first();
    if (!programme.contains(QLatin1Char('/'))) {
        programme = QStandardPaths::findExecutable(programme);
        if (programme.isEmpty()) return echec(CodeLancement::FichierNonTrouve);
    }
    const QFileInfo info(programme);
    if (!info.absoluteDir().exists()) return echec(CodeLancement::CheminNonTrouve);
    if (!info.exists()) return echec(CodeLancement::FichierNonTrouve);
    const QByteArray chemin = QFile::encodeName(info.absoluteFilePath());
    if (info.isDir() || ::access(chemin.constData(), X_OK) != 0) return echec(CodeLancement::AccesRefuse);
    // A binary or a script; anything else would only fail once detached, where no one sees it.
    QFile f(info.absoluteFilePath());
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray debut = f.read(4);
        if (!debut.startsWith("\x7f" "ELF") && !debut.startsWith("#!")) return echec(CodeLancement::FormatInvalide);
    }

    QProcess p;
    p.setProgram(info.absoluteFilePath());
    p.setArguments(commande.arguments.mid(1));
    p.setWorkingDirectory(QDir::homePath());
    p.setStandardInputFile(QProcess::nullDevice());
    if (!p.startDetached()) return echec(CodeLancement::PasAssezDeMemoire);
    r.code = CodeLancement::Lance;
    return r;
}

ResultatLancement LancerMessagerie()
{
    return LancerCommande(TrouverCommandeMessagerie(EnvironnementXdg::DepuisSysteme()));
}

}  // namespace vaskor
