#pragma once
// Rows, accounts and scripted message boxes for the window tests.

#include "core/texte_date.h"
#include "engine/liste_messages.h"
#include "ui/boites_message.h"

#include <deque>
#include <string>
#include <vector>

namespace vaskor::test {

inline TCompte Compte(const std::string& description, const std::string& serveur = "pop.exemple.fr",
                      const std::string& user = "anne")
{
    TCompte c = TCompte::Vierge();
    c.Description.Ecrire(Utf8VersCp1252(description));
    c.ServeurPOP.Ecrire(Utf8VersCp1252(serveur));
    c.NomUser.Ecrire(Utf8VersCp1252(user));
    return c;
}

// A row as the check run makes it; texts are UTF-8 here.
inline LigneMessage Ligne(const std::string& de, const std::string& sujet = "Sujet", TDateHeure date = 40000.5,
                          long long taille = 1000, bool marque = false, int numero = 1)
{
    LigneMessage l;
    l.De = Utf8VersCp1252(de);
    l.Sujet = Utf8VersCp1252(sujet);
    l.Date = TexteDate(date);
    l.Taille = std::to_string(taille);
    l.Marque = marque;
    l.Resume.Numero = numero;
    l.Resume.Compte = Compte("Maison");
    return l;
}

struct QuestionPosee {
    Texte titre, texte;
    BoutonsMessage boutons;
    IconeMessage icone;
    bool defautNon;
};

// Answers the questions from a script and records every box.
class BoitesScriptees : public BoitesMessage {
public:
    explicit BoitesScriptees(std::deque<ReponseMessage>* reponses, std::vector<QuestionPosee>* posees)
        : reponses_(reponses), posees_(posees) {}
    ReponseMessage Question(QWidget*, const Texte& titre, const Texte& texte, BoutonsMessage boutons,
                            IconeMessage icone, bool defautNon) override
    {
        posees_->push_back({titre, texte, boutons, icone, defautNon});
        if (reponses_->empty()) return ReponseMessage::Annuler;
        const ReponseMessage r = reponses_->front();
        reponses_->pop_front();
        return r;
    }
    void Message(QWidget*, const Texte& titre, const Texte& texte, IconeMessage icone) override
    {
        posees_->push_back({titre, texte, BoutonsMessage::Ok, icone, false});
    }

private:
    std::deque<ReponseMessage>* reponses_;
    std::vector<QuestionPosee>* posees_;
};

}  // namespace vaskor::test

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <functional>

namespace vaskor::test {

// Works the modal dialog named `nom` once it is the active modal window; several may wait at
// once, each for its own dialog.
inline void QuandOuvert(const QString& nom, std::function<void(QDialog&)> travail)
{
    auto* t = new QTimer;
    t->setInterval(5);
    QObject::connect(t, &QTimer::timeout, [t, nom, travail] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || d->objectName() != nom || !d->isVisible()) return;
        t->stop();
        t->deleteLater();
        travail(*d);
        // A failed check inside leaves the dialog open: closed here, the test ends instead of
        // waiting for it.
        if (d->isVisible() && QTest::currentTestFailed()) d->reject();
    });
    t->start();
}

}  // namespace vaskor::test
