#include "ui/tfentete.h"

#include "ui/disposition.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace vaskor {

TFEntete::TFEntete(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFEntete"));
    setWindowTitle(QString::fromUtf8("Entêtes d'un message"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(560, 380);

    mEntete_ = new QPlainTextEdit(this);
    mEntete_->setObjectName(QStringLiteral("MEntete"));
    mEntete_->setReadOnly(true);
    mEntete_->setFrameShape(QFrame::NoFrame);
    mEntete_->setLineWrapMode(QPlainTextEdit::NoWrap);
    mEntete_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mEntete_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The memo takes the window's colour, so it reads as a page of text rather than a field.
    QPalette p = mEntete_->palette();
    p.setBrush(QPalette::Base, palette().brush(QPalette::Window));
    mEntete_->setPalette(p);

    // Also the cancelling button: Esc closes the window the same way.
    bFermer_ = DisposerAvecBoutonFermer(this, mEntete_);
}

void TFEntete::Charger(const ListeEntetes& entetes)
{
    QStringList lignes;
    lignes.reserve(static_cast<qsizetype>(entetes.size()));
    for (const Texte& l : entetes) lignes.append(VersQString(l));
    mEntete_->setPlainText(lignes.join(QLatin1Char('\n')));
    mEntete_->moveCursor(QTextCursor::Start);
    mEntete_->ensureCursorVisible();
}

void TFEntete::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    PlacerFenetre(this);
    mEntete_->setFocus();
}

}  // namespace vaskor
