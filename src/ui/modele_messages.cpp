#include "ui/modele_messages.h"

#include "ui/texte_qt.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace vaskor {

QIcon ImageMessage()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF corps(1.5, 3.5, 13, 9);
    p.setPen(QPen(QColor(70, 90, 130), 1));
    p.setBrush(QColor(250, 246, 226));
    p.drawRect(corps);
    p.drawLine(corps.topLeft(), QPointF(8, 9));
    p.drawLine(QPointF(8, 9), corps.topRight());
    p.end();
    return QIcon(pixmap);
}

QIcon ImageMessageApercu()
{
    // The envelope opened: its flap folded up.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF corps(1.5, 6.5, 13, 8);
    p.setPen(QPen(QColor(70, 90, 130), 1));
    p.setBrush(QColor(236, 236, 236));
    const QPointF rabat[] = {corps.topLeft(), QPointF(8, 1.5), corps.topRight()};
    p.drawPolygon(rabat, 3);
    p.setBrush(QColor(250, 246, 226));
    p.drawRect(corps);
    p.drawLine(corps.topLeft(), QPointF(8, 11));
    p.drawLine(QPointF(8, 11), corps.topRight());
    p.end();
    return QIcon(pixmap);
}

ModeleMessages::ModeleMessages(ListeMessages& liste, QObject* parent)
    : QAbstractTableModel(parent), liste_(liste), image_(ImageMessage()), imageApercu_(ImageMessageApercu())
{
    DefinirPolice(QFont());
    annoncees_ = static_cast<int>(liste_.Nombre());
    minuterie_ = new QTimer(this);
    minuterie_->setSingleShot(true);
    minuterie_->setInterval(200);
    connect(minuterie_, &QTimer::timeout, this, &ModeleMessages::AnnoncerAjouts);
    liste_.DefinirObservateur(this);
}

ModeleMessages::~ModeleMessages() { liste_.DefinirObservateur(nullptr); }

int ModeleMessages::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : annoncees_; }

int ModeleMessages::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : NombreColonnes; }

QVariant ModeleMessages::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= annoncees_) return {};
    const LigneMessage& ligne = liste_[static_cast<std::size_t>(index.row())];
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (col) {
        case 0: return VersQString(ligne.De);
        case 1: return VersQString(ligne.Sujet);
        case 2: return VersQString(ligne.Date);
        case 3: return VersQString(ligne.Taille);
        }
        return {};
    case Qt::CheckStateRole:
        if (col == 0) return ligne.Marque ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole:
        if (col == 0) return ligne.Apercu ? imageApercu_ : image_;
        return {};
    case Qt::FontRole:
        // The whole row is struck out, not only its first cell; unmarked rows take the view's font.
        if (ligne.Marque) return policeBarree_;
        return {};
    case Qt::BackgroundRole:
        if (col == colonneTri_) return QBrush(QColor(242, 242, 242));
        return {};
    case Qt::TextAlignmentRole:
        if (col == 3) return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

QVariant ModeleMessages::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= NombreColonnes) return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
        case 0: return QStringLiteral("De");
        case 1: return QStringLiteral("Sujet");
        case 2: return QStringLiteral("Date");
        case 3: return QStringLiteral("Taille");
        }
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment((section == 3 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    return {};
}

Qt::ItemFlags ModeleMessages::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool ModeleMessages::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) return false;
    if (index.row() < 0 || index.row() >= annoncees_) return false;
    const std::size_t i = static_cast<std::size_t>(index.row());
    const bool marque = value.toInt() == Qt::Checked;
    if (liste_[i].Marque != marque) {
        liste_.Marquer(i, marque);
        emit MarqueModifiee(index.row());
    }
    return true;
}

void ModeleMessages::DefinirColonneTri(int colonne)
{
    if (colonne == colonneTri_) return;
    const int ancienne = colonneTri_;
    colonneTri_ = colonne;
    if (annoncees_ == 0) return;
    const int derniere = annoncees_ - 1;
    emit dataChanged(index(0, ancienne), index(derniere, ancienne), {Qt::BackgroundRole});
    emit dataChanged(index(0, colonne), index(derniere, colonne), {Qt::BackgroundRole});
}

void ModeleMessages::DefinirPolice(const QFont& police)
{
    police_ = police;
    policeBarree_ = police;
    policeBarree_.setStrikeOut(true);
    if (annoncees_ > 0) emit dataChanged(index(0, 0), index(annoncees_ - 1, NombreColonnes - 1), {Qt::FontRole});
}

void ModeleMessages::DiffererAjouts(bool differer)
{
    differer_ = differer;
    if (!differer_) AnnoncerAjouts();
}

void ModeleMessages::AnnoncerAjouts()
{
    minuterie_->stop();
    const int total = static_cast<int>(liste_.Nombre());
    if (total <= annoncees_) return;
    beginInsertRows({}, annoncees_, total - 1);
    annoncees_ = total;
    endInsertRows();
}

void ModeleMessages::AvantAjout(std::size_t premiere, std::size_t derniere)
{
    // Rows are only ever appended: the ones before are already announced or waiting.
    if (differer_) return;
    AnnoncerAjouts();
    beginInsertRows({}, static_cast<int>(premiere), static_cast<int>(derniere));
}

void ModeleMessages::ApresAjout()
{
    if (differer_) {
        if (!minuterie_->isActive()) minuterie_->start();
        return;
    }
    annoncees_ = static_cast<int>(liste_.Nombre());
    endInsertRows();
}

void ModeleMessages::AvantRetrait(std::size_t premiere, std::size_t derniere)
{
    AnnoncerAjouts();
    beginRemoveRows({}, static_cast<int>(premiere), static_cast<int>(derniere));
}

void ModeleMessages::ApresRetrait()
{
    annoncees_ = static_cast<int>(liste_.Nombre());
    endRemoveRows();
}

void ModeleMessages::AvantReinitialisation()
{
    minuterie_->stop();
    beginResetModel();
}

void ModeleMessages::ApresReinitialisation()
{
    annoncees_ = static_cast<int>(liste_.Nombre());
    endResetModel();
}

void ModeleMessages::MarquesChangees(std::size_t premiere, std::size_t derniere)
{
    // Rows not announced yet show their mark when they are.
    const int fin = std::min(static_cast<int>(derniere), annoncees_ - 1);
    if (static_cast<int>(premiere) > fin) return;
    emit dataChanged(index(static_cast<int>(premiere), 0), index(fin, NombreColonnes - 1),
                     {Qt::CheckStateRole, Qt::FontRole});
}

}  // namespace vaskor
