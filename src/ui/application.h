#pragma once
// The application object. A failure that no operation caught (a data file that cannot be written,
// a connection lost in the middle of a preview...) ends up here, in the event dispatch: it is
// reported in a message box and the program goes on.

#include <QApplication>
#include <QTranslator>

#include <exception>
#include <functional>

namespace vaskor {

// The report's text: a "." is appended unless the text already ends with a character whose code
// is at most that of "." (a full stop, a space, a parenthesis, a line break...).
QString TexteRapportErreur(const QString& message);

// The text of a failure: the cp1252 message of an Echec, else what() read as UTF-8.
QString TexteEchec(const std::exception& e);

// Runs `appel`. A failure escaping it is handed, as TexteRapportErreur, to `rapporter`, and the
// result is then false.
bool AppelerSousRapport(const std::function<bool()>& appel, const std::function<void(const QString&)>& rapporter);

// Loads Qt's own French texts (the standard buttons "Oui", "Non", "Annuler", "OK", the file
// chooser...) into `traducteur`: the interface is French whatever the desktop's language.
// False when the translations are not installed (Debian: qt6-translations-l10n).
bool ChargerTraductionQt(QTranslator& traducteur);

class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* destinataire, QEvent* evenement) override;

    // The report: a box titled "Vaskor" with the stop icon, the text and one OK button.
    static void RapporterErreur(const QString& texte);
};

}  // namespace vaskor
