#include "ui/modele_journal.h"

#include "core/texte.h"
#include "core/texte_date.h"
#include "ui/texte_qt.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <charconv>
#include <numeric>

namespace vaskor {

namespace {

constexpr int ColonneDate = 3;
constexpr int ColonneTaille = 4;

bool LireTaille(std::string_view texte, std::int64_t& taille)
{
    const std::string_view t = Rogner(texte);
    if (t.empty()) return false;
    const auto [fin, ec] = std::from_chars(t.data(), t.data() + t.size(), taille);
    return ec == std::errc() && fin == t.data() + t.size();
}

int Signe(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

// Readable values first compare by value; unreadable texts come before them.
int ComparerValeurs(bool luA, bool luB, double difference, const Texte& texteA, const Texte& texteB)
{
    if (luA && luB) return Signe(difference);
    if (luA != luB) return luA ? 1 : -1;
    return ComparerSansCasse(texteA, texteB);
}

}  // namespace

RangJournalAffiche PreparerRangJournal(std::string_view ligne)
{
    RangJournalAffiche r;
    r.rang = DecouperLigneJournal(ligne);
    r.textes.reserve(r.rang.sousElements.size() + 1);
    r.textes.push_back(VersQString(r.rang.titre));
    for (const Texte& s : r.rang.sousElements) r.textes.push_back(VersQString(s));
    const auto& sous = r.rang.sousElements;
    if (sous.size() >= ColonneDate) {
        TDateHeure d = 0;
        r.dateLue = LireTexteDate(sous[ColonneDate - 1], d);
        r.date = r.dateLue ? d : 0;
    }
    if (sous.size() >= ColonneTaille) r.tailleLue = LireTaille(sous[ColonneTaille - 1], r.taille);
    return r;
}

int ComparerRangsJournal(const RangJournalAffiche& a, const RangJournalAffiche& b, int colonne)
{
    if (colonne <= 0) {
        const int c = a.rang.titre.compare(b.rang.titre);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    const std::size_t n = std::size_t(colonne);
    const bool aPresent = a.rang.sousElements.size() >= n;
    const bool bPresent = b.rang.sousElements.size() >= n;
    if (!aPresent || !bPresent) return aPresent == bPresent ? 0 : aPresent ? 1 : -1;
    const Texte& ta = a.rang.sousElements[n - 1];
    const Texte& tb = b.rang.sousElements[n - 1];
    switch (colonne) {
    case ColonneDate: return ComparerValeurs(a.dateLue, b.dateLue, a.date - b.date, ta, tb);
    case ColonneTaille:
        return ComparerValeurs(a.tailleLue, b.tailleLue, a.taille < b.taille ? -1 : a.taille > b.taille ? 1 : 0, ta,
                               tb);
    default: {
        const int c = ComparerSansCasse(ta, tb);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    }
}

ModeleJournal::ModeleJournal(QObject* parent) : QAbstractTableModel(parent) {}

int ModeleJournal::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rangs_.size());
}

int ModeleJournal::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : NombreColonnes; }

QVariant ModeleJournal::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= NombreColonnes) return {};
    const RangJournalAffiche& r = rangs_[std::size_t(index.row())];
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return std::size_t(col) < r.textes.size() ? r.textes[std::size_t(col)] : QString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(col == ColonneTaille ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // Other cells keep the view's own background.
        if (col == colonneTri_) return QBrush(QColor(242, 242, 242));
        return {};
    default: return {};
    }
}

QVariant ModeleJournal::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= NombreColonnes) return {};
    if (role == Qt::DisplayRole) {
        static const char* const titres[NombreColonnes] = {"A", "De", "Sujet", "Date", "Taille", "Raison"};
        return QString::fromLatin1(titres[section]);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(section == ColonneTaille ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ModeleJournal::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ModeleJournal::Vider()
{
    if (rangs_.empty()) return;
    beginResetModel();
    rangs_.clear();
    endResetModel();
}

void ModeleJournal::Ajouter(std::vector<RangJournalAffiche>::iterator debut,
                            std::vector<RangJournalAffiche>::iterator fin)
{
    if (debut == fin) return;
    const int premiere = rowCount();
    beginInsertRows({}, premiere, premiere + int(fin - debut) - 1);
    rangs_.insert(rangs_.end(), std::make_move_iterator(debut), std::make_move_iterator(fin));
    endInsertRows();
}

void ModeleJournal::DefinirTri(int colonne, bool ascendant)
{
    const int ancienne = colonneTri_;
    colonneTri_ = std::clamp(colonne, 0, NombreColonnes - 1);
    ascendant_ = ascendant;
    if (ancienne != colonneTri_ && !rangs_.empty()) {
        const int derniere = rowCount() - 1;
        emit dataChanged(index(0, ancienne), index(derniere, ancienne), {Qt::BackgroundRole});
        emit dataChanged(index(0, colonneTri_), index(derniere, colonneTri_), {Qt::BackgroundRole});
    }
    Trier();
}

void ModeleJournal::ClicColonne(int colonne)
{
    if (colonne == colonneTri_)
        DefinirTri(colonne, !ascendant_);
    else
        DefinirTri(colonne, ascendant_);
}

void ModeleJournal::Trier()
{
    if (rangs_.size() < 2) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::size_t> ordre(rangs_.size());
    std::iota(ordre.begin(), ordre.end(), std::size_t(0));
    const int col = colonneTri_;
    const bool asc = ascendant_;
    // Descending swaps the two rows; the stable sort keeps the file's order among equal rows.
    std::stable_sort(ordre.begin(), ordre.end(), [&](std::size_t a, std::size_t b) {
        return asc ? ComparerRangsJournal(rangs_[a], rangs_[b], col) < 0
                   : ComparerRangsJournal(rangs_[b], rangs_[a], col) < 0;
    });
    std::vector<RangJournalAffiche> tries;
    tries.reserve(rangs_.size());
    std::vector<int> nouvellePlace(rangs_.size());
    for (std::size_t i = 0; i < ordre.size(); ++i) {
        tries.push_back(std::move(rangs_[ordre[i]]));
        nouvellePlace[ordre[i]] = int(i);
    }
    rangs_ = std::move(tries);
    const QModelIndexList anciens = persistentIndexList();
    QModelIndexList nouveaux;
    nouveaux.reserve(anciens.size());
    for (const QModelIndex& i : anciens)
        nouveaux.append(index(nouvellePlace[std::size_t(i.row())], i.column()));
    changePersistentIndexList(anciens, nouveaux);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace vaskor
