#pragma once
// "Lancer la messagerie": starts the desktop's default mail program, the application that the
// freedesktop association files name as the handler of "mailto:" links. Its desktop entry's
// Exec line is cleaned, split into arguments and started without a shell.

#include "core/texte.h"

#include <QString>
#include <QStringList>

namespace vaskor {

// The freedesktop base folders, read once from the environment (the tests give their own).
struct EnvironnementXdg {
    QString configHome;
    QStringList configDirs;
    QString dataHome;
    QStringList dataDirs;
    QStringList bureaux;  // XDG_CURRENT_DESKTOP, lower-cased, for the desktop-specific lists
    static EnvironnementXdg DepuisSysteme();
};

// The desktop id ("thunderbird.desktop") of the default "mailto:" handler according to the
// mimeapps.list files in their order of precedence, then the installed applications' cache;
// empty when no installed application is named.
QString GestionnaireMailto(const EnvironnementXdg& env);

// The file of a desktop id in the applications folders ("a-b.desktop" may also be a/b.desktop);
// empty when not installed.
QString FichierApplication(const EnvironnementXdg& env, const QString& idBureau);

// The keys of an entry's [Desktop Entry] group that the launch needs.
struct EntreeBureau {
    bool lue = false;   // the file could be read and has the group
    QString exec;       // string escapes already undone
    QString nom;
    QString icone;
    bool terminal = false;
    bool cachee = false;  // Hidden=true: the entry counts as deleted
};
EntreeBureau LireEntreeBureau(const QString& chemin);

// The clean-up of a mail program's command line, kept from the program's first platform: blanks
// trimmed; a command holding "Program" has what precedes its first "\" replaced by `programFiles`,
// loses its double quotes and everything after the first ".exe" that is followed by at least two
// more characters. `cheminSeul` tells that such a cut happened: what is left is one program path.
QString NettoyerCommandeMessagerie(const QString& commande, const QString& programFiles,
                                   bool* cheminSeul = nullptr);

// Splits an Exec value into the program and its arguments (double and single quotes, backslash
// escapes) and expands the field codes for a start without a file or address: %f %F %u %U (and
// the deprecated %d %D %n %N %v %m) vanish, %i gives "--icon" and the icon, %c the name, %k the
// entry's file, %% a "%". Flatpak's file-forwarding markers "@@u" and "@@" vanish too.
QStringList DecouperExec(const QString& exec, const EntreeBureau& entree, const QString& fichierEntree);

// What "Lancer la messagerie" would start.
struct CommandeMessagerie {
    bool trouvee = false;  // false: no handler or no usable entry (nothing to say to the user)
    QString texte;         // the cleaned command line, as shown in a failure message
    QStringList arguments; // program first; a terminal emulator first for Terminal=true entries
};
// `demanderXdgMime`: asks `xdg-mime query default x-scheme-handler/mailto` first when the tool is
// installed (it knows the desktops' own ways); the association files are read otherwise or when
// it has no answer.
CommandeMessagerie TrouverCommandeMessagerie(const EnvironnementXdg& env, bool demanderXdgMime = true);

// Failure codes of the launch, numbered like the shell results of the program's first platform
// so that the messages keep their table.
enum class CodeLancement : int {
    PasAssezDeMemoire = 8,
    FichierNonTrouve = 2,
    CheminNonTrouve = 3,
    AccesRefuse = 5,
    FormatInvalide = 11,
    ViolationPartage = 26,
    AssociationInvalide = 31,
    Lance = 33,
    RienALancer = -1,  // no mail program configured: nothing starts; the window says so (TexteAucuneMessagerie)
};

struct ResultatLancement {
    CodeLancement code = CodeLancement::RienALancer;
    Texte commande;  // code page 1252
    Texte message;   // code page 1252; empty when nothing is to be shown
};

// The message for a failed start: "Problème au lancement de la messagerie.\r\n\t-> ...\r\n(" +
// command + ")"; empty for codes without a message.
Texte TexteEchecMessagerie(CodeLancement code, const Texte& commande);

// What the window says, in a box titled "Information", when no mail program is configured
// (code page 1252).
Texte TexteAucuneMessagerie();

// Checks that the program can be started (found, executable, a known format) and starts it
// detached, in the home folder.
ResultatLancement LancerCommande(const CommandeMessagerie& commande);

// The command "Lancer la messagerie" (F9). When `message` is not empty the window shows it in a
// box titled "Erreur" with the error icon.
ResultatLancement LancerMessagerie();

}  // namespace vaskor
