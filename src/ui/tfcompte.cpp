#include "ui/tfcompte.h"

#include "crypto/fichier_comptes.h"
#include "engine/controle.h"
#include "mail/pop3.h"
#include "platform/base/transport_tls.h"
#include "ui/boites_message.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace vaskor {

namespace {
QString T(const char* utf8) { return QString::fromUtf8(utf8); }
constexpr ModeSecurite Modes[3] = {ModeSecurite::Tls, ModeSecurite::StartTls, ModeSecurite::Aucune};
}  // namespace

Texte MessageMotDePasseTropLong()
{
    return "Le mot de passe dépasse "_cp + std::to_string(LongueurMaxMotDePasse) +
           " caractères : il ne pourrait pas être relu du fichier de comptes."_cp;
}

std::int32_t PortSaisi(const Texte& texte)
{
    if (texte.empty() || texte.size() > 5) return PortPop3;
    std::int32_t v = 0;
    for (const char ch : texte) {
        if (ch < '0' || ch > '9') return PortPop3;
        v = v * 10 + (ch - '0');
    }
    return v > 65535 ? PortPop3 : v;
}

TFCompte::TFCompte(BoitesMessage& boites, QWidget* parent)
    : QDialog(parent), Fabrique(CreerTransportTls), boites_(boites)
{
    setObjectName(QStringLiteral("TFCompte"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto champ = [this](const char* nom, int longueur) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(nom));
        e->setMaxLength(longueur);
        connect(e, &QLineEdit::textChanged, this, &TFCompte::MajOK);
        return e;
    };
    eDescription_ = champ("EDescription", 50);
    eNomUser_ = champ("ENomUser", 50);
    eServeurPOP_ = champ("EServeurPOP", 50);
    ePassword_ = champ("EPassword", 50);
    ePassword_->setEchoMode(QLineEdit::Password);
    QFont gras = ePassword_->font();
    gras.setBold(true);
    ePassword_->setFont(gras);
    ePortPOP_ = champ("EPortPOP", 5);
    // Digits only; the field's own editing keys (backspace...) stay.
    ePortPOP_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), ePortPOP_));
    ePortPOP_->setMaximumWidth(80);
    cbSecurite_ = new QComboBox(this);
    cbSecurite_->setObjectName(QStringLiteral("CBSecurite"));
    for (const ModeSecurite m : Modes) cbSecurite_->addItem(VersQString(TexteSecurite(m)));
    connect(cbSecurite_, &QComboBox::currentIndexChanged, this, &TFCompte::CBSecuriteChange);

    lMotDePasse_ = new QLabel(VersQString(MessageMotDePasseTropLong()), this);
    lMotDePasse_->setObjectName(QStringLiteral("LMotDePasse"));
    lMotDePasse_->setWordWrap(true);
    lMotDePasse_->setStyleSheet(QStringLiteral("color: #b00000"));
    lMotDePasse_->setVisible(false);
    connect(ePassword_, &QLineEdit::textChanged, this,
            [this](const QString& t) { lMotDePasse_->setVisible(DepuisQString(t).size() > LongueurMaxMotDePasse); });

    auto* formulaire = new QFormLayout;
    auto ligne = [&](const char* texte, QWidget* w) {
        auto* l = new QLabel(T(texte), this);
        l->setBuddy(w);
        formulaire->addRow(l, w);
    };
    ligne("&Description", eDescription_);
    ligne("&Nom d'utilisateur", eNomUser_);
    ligne("&Serveur POP", eServeurPOP_);
    ligne("&Mot de passe", ePassword_);
    formulaire->addRow(QString(), lMotDePasse_);
    ligne("&Port serveur POP", ePortPOP_);
    ligne("S&écurité", cbSecurite_);

    bTester_ = new QPushButton(T("&Tester la connexion"), this);
    bTester_->setObjectName(QStringLiteral("BTester"));
    bTester_->setAutoDefault(false);
    connect(bTester_, &QPushButton::clicked, this, &TFCompte::BTesterClick);
    lTest_ = new QLabel(this);
    lTest_->setObjectName(QStringLiteral("LTest"));
    lTest_->setWordWrap(true);
    lTest_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* test = new QHBoxLayout;
    test->addWidget(bTester_, 0, Qt::AlignTop);
    test->addWidget(lTest_, 1);

    bOK_ = new QPushButton(QStringLiteral("OK"), this);
    bOK_->setObjectName(QStringLiteral("BOK"));
    bOK_->setDefault(true);
    connect(bOK_, &QPushButton::clicked, this, &TFCompte::BOKClick);
    bAnnuler_ = new QPushButton(QStringLiteral("Annuler"), this);
    bAnnuler_->setObjectName(QStringLiteral("BAnnuler"));
    bAnnuler_->setAutoDefault(false);
    connect(bAnnuler_, &QPushButton::clicked, this, &QDialog::reject);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(bOK_);
    boutons->addWidget(bAnnuler_);

    auto* d = new QVBoxLayout(this);
    d->addLayout(formulaire);
    d->addLayout(test);
    d->addStretch();
    d->addLayout(boutons);
    setMinimumWidth(430);
    Vider();
}

void TFCompte::Vider()
{
    for (QLineEdit* e : {eDescription_, eNomUser_, eServeurPOP_}) e->clear();
    OublierMotDePasse();
    // A new account is encrypted unless the user says otherwise: nearly every provider asks it.
    cbSecurite_->setCurrentIndex(0);
    modePrecedent_ = 0;
    ePortPOP_->setText(QString::number(PortTls));
    serveurCharge_.clear();
    empreinte_.clear();
    lTest_->clear();
    MajOK();
}

void TFCompte::OublierMotDePasse()
{
    // The field's text is shared with this copy: once the field has let go of it, this copy is
    // its only holder and the wipe writes over the very buffer the field held. setText, not
    // clear(): clear() deletes as an edit would, keeping each character in the undo steps.
    // (The undo steps of the typing itself are Qt's own and out of reach.)
    QString texte = ePassword_->text();
    ePassword_->setText(QString());
    if (!texte.isEmpty()) texte.fill(QChar(0));
}

void TFCompte::Charger(const TCompte& compte, const ChoixSecurite& securite)
{
    eDescription_->setText(VersQString(compte.Description.Lire()));
    eNomUser_->setText(VersQString(compte.NomUser.Lire()));
    eServeurPOP_->setText(VersQString(compte.ServeurPOP.Lire()));
    ePassword_->setText(SecretVersQString(compte.Password.Vue()));
    ePortPOP_->setText(QString::number(compte.PortPOP.Lire()));
    const int index = int(std::find(std::begin(Modes), std::end(Modes), securite.mode) - std::begin(Modes));
    {
        const QSignalBlocker bloque(cbSecurite_);
        cbSecurite_->setCurrentIndex(index);
    }
    modePrecedent_ = index;
    serveurCharge_ = compte.ServeurPOP.Lire();
    empreinte_ = securite.empreinte;
    lTest_->clear();
    MajOK();
}

void TFCompte::Appliquer(TCompte& compte) const
{
    compte.PortPOP = PortSaisi(DepuisQString(ePortPOP_->text()));
    compte.Description = DepuisQString(eDescription_->text());
    compte.NomUser = DepuisQString(eNomUser_->text());
    compte.Password = SecretDepuisQString(ePassword_->text());
    compte.ServeurPOP = DepuisQString(eServeurPOP_->text());
    compte.ControleAuto = compte.Password.Vide() ? 0 : 1;
}

ModeSecurite TFCompte::ModeChoisi() const
{
    const int i = cbSecurite_->currentIndex();
    return i >= 0 && i < 3 ? Modes[i] : ModeSecurite::Tls;
}

ChoixSecurite TFCompte::Securite() const
{
    ChoixSecurite c;
    c.mode = ModeChoisi();
    c.stocke = true;
    // A certificate trusted for one server says nothing about another.
    if (DepuisQString(eServeurPOP_->text()) == serveurCharge_) c.empreinte = empreinte_;
    return c;
}

void TFCompte::CBSecuriteChange(int index)
{
    if (index < 0 || index > 2) return;
    // The port follows the security only while it holds the other one's default port.
    const QString avant = QString::number(PortParDefaut(Modes[modePrecedent_]));
    const QString apres = QString::number(PortParDefaut(Modes[index]));
    if (ePortPOP_->text() == avant && avant != apres) ePortPOP_->setText(apres);
    modePrecedent_ = index;
}

void TFCompte::MajOK()
{
    bOK_->setEnabled(!eDescription_->text().isEmpty() && !eServeurPOP_->text().isEmpty() &&
                     !eNomUser_->text().isEmpty() && !ePortPOP_->text().isEmpty());
}

void TFCompte::BOKClick()
{
    const struct {
        QLineEdit* champ;
        bool refus;
        Texte message;
    } verifications[] = {
        {eDescription_, eDescription_->text().isEmpty(), "Pas de description saisie."},
        {eServeurPOP_, eServeurPOP_->text().isEmpty(), "Pas de nom de serveur POP saisi."},
        {eNomUser_, eNomUser_->text().isEmpty(), "Pas de nom d'utilisateur saisi."},
        {ePassword_, ePassword_->text().isEmpty(), "Pas de mot de passe saisi."},
        {ePortPOP_, ePortPOP_->text().isEmpty(), "Le numéro de port POP n'est pas renseigné (110 par défaut)"_cp},
        {ePassword_, SecretDepuisQString(ePassword_->text()).size() > LongueurMaxMotDePasse, MessageMotDePasseTropLong()},
    };
    for (const auto& v : verifications) {
        if (!v.refus) continue;
        boites_.Message(this, "Information", v.message, IconeMessage::Information);
        v.champ->setFocus();
        return;
    }
    accept();
}

void TFCompte::BTesterClick()
{
    if (testEnCours_) return;
    testEnCours_ = true;
    bTester_->setEnabled(false);
    bOK_->setEnabled(false);
    lTest_->setText(T("Connexion en cours..."));
    TCompte compte = TCompte::Vierge();
    Appliquer(compte);
    TIdPOP3 client(Fabrique);
    PreparerClient(client, compte, nullptr);
    ChoixSecurite s = Securite();
    client.Securite = s.mode;
    client.EmpreinteAcceptee = s.empreinte;
    client.Attente = [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    client.OnStatus = [this](StatutPop3, const Texte& t) { lTest_->setText(VersQString(t)); };
    Texte resultat;
    for (int essai = 0; essai < 2; ++essai) {
        try {
            client.OpenSession();
            const int nombre = client.CountMessages();
            const std::int64_t taille = client.TotalMailboxSize();
            client.CloseSession();
            resultat = std::to_string(nombre) + " messages, " + std::to_string(taille < 0 ? 0 : taille / 1024) + " ko";
            break;
        } catch (const EchecCertificat& e) {
            resultat = e.Message();
            if (essai > 0 ||
                !boites_.ConfianceCertificat(this, TexteCertificat(compte.Description.Lire(), compte.ServeurPOP.Lire(),
                                                                   e.Certificat())))
                break;
            // Kept with the account when OK closes the editor and then the list.
            empreinte_ = e.Certificat().empreinte;
            serveurCharge_ = compte.ServeurPOP.Lire();
            client.EmpreinteAcceptee = empreinte_;
        } catch (const Echec& e) {
            resultat = e.Message();
            if (e.Genre() == GenreEchec::ReponseErreur) resultat = "Refus du serveur :"_cp + resultat;
            break;
        }
    }
    // The box shows "\r\n" as a line break, the label wants "\n".
    lTest_->setText(TexteBoite(resultat).trimmed());
    testEnCours_ = false;
    bTester_->setEnabled(true);
    MajOK();
}

void TFCompte::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    PlacerFenetre(this);
    MajOK();
    eDescription_->setFocus();
}

}  // namespace vaskor
