#include "ui/application.h"

#include "mail/echec.h"
#include "platform/base/signaux_fin.h"
#include "ui/texte_qt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMessageBox>

#include <cstdio>

namespace vaskor {

QString TexteRapportErreur(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() <= u'.') return message;
    return message + QLatin1Char('.');
}

QString TexteEchec(const std::exception& e)
{
    if (const auto* echec = dynamic_cast<const Echec*>(&e)) return VersQString(echec->Message());
    return QString::fromUtf8(e.what());
}

bool AppelerSousRapport(const std::function<bool()>& appel, const std::function<void(const QString&)>& rapporter)
{
    QString texte;
    try {
        return appel();
    } catch (const std::exception& e) {
        texte = TexteEchec(e);
    } catch (...) {
        texte = QStringLiteral("Erreur inattendue");
    }
    // Reported outside the handler: the box runs an event loop, which may raise again.
    rapporter(TexteRapportErreur(texte));
    return false;
}

bool ChargerTraductionQt(QTranslator& traducteur)
{
    // Qt's folder first, then the copy installed with Vaskor (bin/../share/vaskor/translations).
    return traducteur.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
           traducteur.load(QStringLiteral("qtbase_fr"),
                           QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vaskor/translations"));
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* destinataire, QEvent* evenement)
{
    return AppelerSousRapport([&] { return QApplication::notify(destinataire, evenement); },
                              &Application::RapporterErreur);
}

void Application::RapporterErreur(const QString& texte)
{
    // Server replies end with CR LF; the box breaks lines on LF alone.
    QString affiche = texte;
    affiche.replace(QStringLiteral("\r\r\n"), QStringLiteral("\n"));
    affiche.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    affiche.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Ending on a signal (a logout), nobody is there to answer a box: it would hold the end.
    if (SignauxFin::Recu() != 0) {
        std::fprintf(stderr, "%s\n", affiche.toLocal8Bit().constData());
        return;
    }
    QWidget* parent = activeWindow();
    QMessageBox boite(QMessageBox::Critical, QStringLiteral("Vaskor"), affiche, QMessageBox::Ok,
                      parent && parent->isVisible() ? parent : nullptr);
    boite.exec();
}

}  // namespace vaskor
