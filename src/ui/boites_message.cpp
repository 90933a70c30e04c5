#include "ui/boites_message.h"

#include "ui/texte_qt.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vaskor {

QString TexteBoite(const Texte& cp1252)
{
    QString t = VersQString(cp1252);
    t.replace(QStringLiteral("\r\r\n"), QStringLiteral("\n"));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

namespace {
QMessageBox::Icon IconeQt(IconeMessage icone)
{
    switch (icone) {
    case IconeMessage::Aucune: return QMessageBox::NoIcon;
    case IconeMessage::Information: return QMessageBox::Information;
    case IconeMessage::Avertissement: return QMessageBox::Warning;
    case IconeMessage::Erreur: return QMessageBox::Critical;
    case IconeMessage::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

ReponseMessage BoitesMessage::Question(QWidget* parent, const Texte& titre, const Texte& texte,
                                       BoutonsMessage boutons, IconeMessage icone, bool defautNon)
{
    QMessageBox boite(IconeQt(icone), VersQString(titre), TexteBoite(texte), QMessageBox::NoButton, parent);
    QMessageBox::StandardButton defaut = QMessageBox::NoButton;
    switch (boutons) {
    case BoutonsMessage::Ok:
        boite.setStandardButtons(QMessageBox::Ok);
        defaut = QMessageBox::Ok;
        break;
    case BoutonsMessage::OkAnnuler:
        boite.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        defaut = defautNon ? QMessageBox::Cancel : QMessageBox::Ok;
        break;
    case BoutonsMessage::OuiNon:
        boite.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        defaut = defautNon ? QMessageBox::No : QMessageBox::Yes;
        break;
    case BoutonsMessage::OuiNonAnnuler:
        boite.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        defaut = defautNon ? QMessageBox::No : QMessageBox::Yes;
        break;
    }
    boite.setDefaultButton(defaut);
    switch (boite.exec()) {
    case QMessageBox::Ok: return ReponseMessage::Ok;
    case QMessageBox::Yes: return ReponseMessage::Oui;
    case QMessageBox::No: return ReponseMessage::Non;
    default:
        // Closing the box with Esc or its close button answers as its cancelling button would.
        if (boutons == BoutonsMessage::OuiNon) return ReponseMessage::Non;
        if (boutons == BoutonsMessage::Ok) return ReponseMessage::Ok;
        return ReponseMessage::Annuler;
    }
}

void BoitesMessage::Message(QWidget* parent, const Texte& titre, const Texte& texte, IconeMessage icone)
{
    QMessageBox boite(IconeQt(icone), VersQString(titre), TexteBoite(texte), QMessageBox::Ok, parent);
    boite.exec();
}

bool BoitesMessage::ConfianceCertificat(QWidget* parent, const Texte& texte)
{
    QMessageBox boite(QMessageBox::Warning, QStringLiteral("Confirmation"), TexteBoite(texte), QMessageBox::NoButton,
                      parent);
    QPushButton* confiance =
        boite.addButton(QString::fromUtf8("Faire confiance à ce certificat pour ce compte"), QMessageBox::AcceptRole);
    QPushButton* annuler = boite.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    boite.setDefaultButton(annuler);
    boite.setEscapeButton(annuler);
    boite.exec();
    return boite.clickedButton() == confiance;
}

bool BoitesMessage::Saisie(QWidget* parent, const Texte& titre, const Texte& invite, Texte& valeur)
{
    bool ok = false;
    const QString texte = QInputDialog::getText(parent, VersQString(titre), TexteBoite(invite), QLineEdit::Normal,
                                                VersQString(valeur), &ok);
    if (ok) valeur = DepuisQString(texte);
    return ok;
}

}  // namespace vaskor
