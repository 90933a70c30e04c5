#include "ui/tfmsg.h"

#include "core/texte_date.h"
#include "crypto/chiffrement.h"
#include "mail/corps.h"
#include "mail/mailto.h"
#include "ui/boites_message.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace vaskor {

namespace {

QString U(const TexteUtf8& s) { return QString::fromStdString(s); }

QLineEdit* Champ(QWidget* parent, const char* nom)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(nom));
    e->setReadOnly(true);
    e->setFrame(false);
    // Borderless on the window's colour: the fields read as text, not as something to type in.
    QPalette p = e->palette();
    p.setBrush(QPalette::Base, p.brush(QPalette::Window));
    e->setPalette(p);
    return e;
}

// When no printer is installed, the print goes to a PDF file the user names.
bool ImprimanteParDefaut(QWidget* parent, QPrinter& imprimante, const QString& objet)
{
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        QString nom = objet.isEmpty() ? QStringLiteral("message") : objet;
        nom = QString::fromStdString(NomFichierSur(nom.toStdString()));
        const QString fichier = QFileDialog::getSaveFileName(
            parent, QString::fromUtf8("Imprimer vers un fichier PDF"), QDir::home().filePath(nom + QStringLiteral(".pdf")),
            QStringLiteral("PDF (*.pdf)"));
        if (fichier.isEmpty()) return false;
        imprimante.setOutputFormat(QPrinter::PdfFormat);
        imprimante.setOutputFileName(fichier);
        return true;
    }
    QPrintDialog dialogue(&imprimante, parent);
    dialogue.setWindowTitle(QStringLiteral("Imprimer"));
    return dialogue.exec() == QDialog::Accepted;
}

}  // namespace

TFMsg::TFMsg(BoitesMessage& boites, TCipherManager& chiffre, QWidget* parent)
    : QDialog(parent), boites_(boites), chiffre_(chiffre)
{
    setObjectName(QStringLiteral("TFMsg"));
    setWindowTitle(QString::fromUtf8("Aperçu d'un message"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(640, 480);

    eA_ = Champ(this, "EA");
    eDe_ = Champ(this, "EDe");
    eCc_ = Champ(this, "ECc");
    eObjet_ = Champ(this, "EObjet");
    auto* champs = new QFormLayout;
    auto ligne = [&](const char* libelle, QLineEdit* e) {
        auto* l = new QLabel(QString::fromUtf8(libelle), this);
        l->setBuddy(e);
        champs->addRow(l, e);
    };
    ligne("&A :", eA_);
    ligne("&De :", eDe_);
    ligne("&Copie à :", eCc_);
    ligne("&Sujet :", eObjet_);

    pPJ_ = new QWidget(this);
    pPJ_->setObjectName(QStringLiteral("PPJ"));
    auto* lPJ = new QLabel(QString::fromUtf8("&Pièces jointes :"), pPJ_);
    ePJ_ = Champ(pPJ_, "EPJ");
    lPJ->setBuddy(ePJ_);
    bEnregistrerPJ_ = new QPushButton(QStringLiteral("&Enregistrer..."), pPJ_);
    bEnregistrerPJ_->setObjectName(QStringLiteral("BEnregistrerPJ"));
    bEnregistrerPJ_->setAutoDefault(false);
    auto* dispositionPJ = new QHBoxLayout(pPJ_);
    dispositionPJ->setContentsMargins(0, 0, 0, 0);
    dispositionPJ->addWidget(lPJ);
    dispositionPJ->addWidget(ePJ_, 1);
    dispositionPJ->addWidget(bEnregistrerPJ_);

    mMsg_ = new QPlainTextEdit(this);
    mMsg_->setObjectName(QStringLiteral("MMsg"));
    mMsg_->setReadOnly(true);
    mMsg_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mMsg_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    bImprimer_ = new QPushButton(QStringLiteral("&Imprimer"), this);
    bImprimer_->setObjectName(QStringLiteral("BImprimer"));
    cbWordWrap_ = new QCheckBox(QString::fromUtf8("&Retour à la ligne"), this);
    cbWordWrap_->setObjectName(QStringLiteral("CBWordWrap"));
    bRepondre_ = new QPushButton(QString::fromUtf8("&Répondre"), this);
    bRepondre_->setObjectName(QStringLiteral("BRepondre"));
    bRepondre_->setVisible(false);
    bFermer_ = new QPushButton(QStringLiteral("&Fermer"), this);
    bFermer_->setObjectName(QStringLiteral("BFermer"));
    bFermer_->setDefault(true);
    for (QPushButton* b : {bImprimer_, bRepondre_}) b->setAutoDefault(false);
    auto* bas = new QHBoxLayout;
    bas->addWidget(bImprimer_);
    bas->addWidget(cbWordWrap_);
    bas->addStretch();
    bas->addWidget(bRepondre_);
    bas->addWidget(bFermer_);

    auto* disposition = new QVBoxLayout(this);
    disposition->addLayout(champs);
    disposition->addWidget(pPJ_);
    disposition->addWidget(mMsg_, 1);
    disposition->addLayout(bas);

    connect(bFermer_, &QPushButton::clicked, this, &QDialog::reject);
    connect(bImprimer_, &QPushButton::clicked, this, &TFMsg::BImprimerClick);
    connect(bRepondre_, &QPushButton::clicked, this, &TFMsg::BRepondreClick);
    connect(bEnregistrerPJ_, &QPushButton::clicked, this, &TFMsg::BEnregistrerPJClick);
    connect(cbWordWrap_, &QCheckBox::toggled, this, &TFMsg::CBWordWrapClick);
    CBWordWrapClick();

    ChoisirImprimante = [this](QPrinter& p) { return ImprimanteParDefaut(this, p, eObjet_->text()); };
    ChoisirFichier = [this](const QString& titre, const QString& proposition) {
        // The dialog asks before it replaces an existing file.
        return QFileDialog::getSaveFileName(this, titre, proposition);
    };
    OuvrirUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void TFMsg::Charger(const ContenuApercu& contenu, const TIdMessage* message, bool allowSavePJ, bool autoriserReponse)
{
    contenu_ = contenu;
    message_ = message;
    mMsg_->clear();
    eA_->setText(U(contenu.A));
    eDe_->setText(U(contenu.De));
    eCc_->setText(U(contenu.Cc));
    eObjet_->setText(U(contenu.Objet));
    ePJ_->setText(U(contenu.PJ));
    QStringList lignes;
    lignes.reserve(static_cast<qsizetype>(contenu.Lignes.size()));
    for (const TexteUtf8& l : contenu.Lignes) lignes.append(U(l));
    mMsg_->setPlainText(lignes.join(QLatin1Char('\n')));
    for (QLineEdit* e : {eA_, eDe_, eCc_, eObjet_, ePJ_}) e->setCursorPosition(0);
    mMsg_->moveCursor(QTextCursor::Start);
    bEnregistrerPJ_->setEnabled(contenu.NombrePJ > 0);
    bEnregistrerPJ_->setVisible(allowSavePJ);
    pPJ_->setVisible(allowSavePJ && contenu.NombrePJ > 0);
    bRepondre_->setVisible(autoriserReponse);
}

void TFMsg::CBWordWrapClick()
{
    const bool retour = cbWordWrap_->isChecked();
    mMsg_->setLineWrapMode(retour ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    mMsg_->setHorizontalScrollBarPolicy(retour ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

QStringList TFMsg::LignesImprimees() const
{
    QStringList l;
    l << QStringLiteral("A : ") + eA_->text() << QString() << QStringLiteral("De : ") + eDe_->text() << QString()
      << QStringLiteral("Objet : ") + eObjet_->text() << QString()
      << QStringLiteral("Date : ") + (contenu_.Date != 0 ? VersQString(TexteDate(contenu_.Date)) : QString())
      << QString();
    if (!ePJ_->text().isEmpty()) l << QString::fromUtf8("Pièce(s) jointe(s) : ") + ePJ_->text() << QString();
    l << mMsg_->toPlainText().split(QLatin1Char('\n'));
    l << QStringLiteral("\t*** Fin ***");
    return l;
}

bool TFMsg::Imprimer(QPrinter& imprimante)
{
    imprimante.setDocName(QStringLiteral("Vaskor"));
    QTextDocument document;
    QFont police(QStringLiteral("Sans Serif"), 10);
    police.setStyleHint(QFont::SansSerif);
    document.setDefaultFont(police);
    document.setPlainText(LignesImprimees().join(QLatin1Char('\n')));
    const QString fichier = imprimante.outputFormat() == QPrinter::PdfFormat ? imprimante.outputFileName() : QString();
    bool ok = imprimante.isValid();
    if (ok) document.print(&imprimante);
    // QTextDocument says nothing of a failed output: a PDF that was not written is the sign.
    if (ok && !fichier.isEmpty()) ok = QFileInfo(fichier).size() > 0;
    if (!ok) boites_.Message(this, "Erreur", "Erreur \xE0 l'impression.", IconeMessage::Avertissement);
    return ok;
}

void TFMsg::BImprimerClick()
{
    if (boites_.Question(this, "Confirmation", "Imprimer ce message ?", BoutonsMessage::OuiNon, IconeMessage::Question,
                         false) != ReponseMessage::Oui)
        return;
    QPrinter imprimante(QPrinter::HighResolution);
    if (!ChoisirImprimante || !ChoisirImprimante(imprimante)) return;
    Imprimer(imprimante);
}

QString TFMsg::UriReponse() const
{
    return QString::fromStdString(UriMailto(contenu_.AdresseReponse, "Re : " + eObjet_->text().toStdString()));
}

void TFMsg::BRepondreClick()
{
    if (OuvrirUrl) OuvrirUrl(QUrl(UriReponse(), QUrl::StrictMode));
}

void TFMsg::BEnregistrerPJClick()
{
    if (!message_) return;
    if (dernierDossier_.isEmpty()) dernierDossier_ = QDir::homePath();
    for (const TPartie& p : message_->MessageParts) {
        if (p.Genre != GenrePartie::PieceJointe) continue;
        const QString proposition = QDir(dernierDossier_).filePath(QString::fromStdString(NomFichierSur(p.FileName)));
        const QString cible = ChoisirFichier ? ChoisirFichier(QString::fromUtf8("Enregistrer la pièce jointe"), proposition)
                                             : QString();
        if (cible.isEmpty()) return;
        const QString dossier = QFileInfo(cible).absolutePath();
        dernierDossier_ = dossier;
        bool ok = false;
        if (contenu_.Chiffre && !contenu_.Cle.empty()) {
            // The file was enciphered as one chained stream with the message's key; the key is
            // given again in case something else used the cipher since the preview.
            try {
                chiffre_.InitKey(contenu_.Cle);
                chiffre_.DecodeFile(p.Fichier ? p.Fichier->Chemin() : std::filesystem::path(),
                                    std::filesystem::path(cible.toStdString()));
                ok = true;
            } catch (const ErreurChiffrement&) {
                ok = false;
            }
        } else {
            ok = p.SaveToFile(std::filesystem::path(cible.toStdString()));
        }
        if (!ok)
            boites_.Message(this, "Erreur", "Impossible d'enregistrer " + DepuisQString(cible) + " dans " +
                                                DepuisQString(dossier) + ".",
                            IconeMessage::Avertissement);
    }
}

void TFMsg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    PlacerFenetre(this);
    CBWordWrapClick();
    eA_->setFocus();
    // The caret at the start, nothing selected, whatever the focus reason did.
    QTimer::singleShot(0, this, [this] {
        eA_->deselect();
        eA_->setCursorPosition(0);
    });
}

}  // namespace vaskor
