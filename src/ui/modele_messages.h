#pragma once
// The message list as a table model over the engine's rows. The model keeps no copy of the
// rows: it reads them on demand, so a list of tens of thousands of rows costs only what the
// view paints.

#include "engine/liste_messages.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QIcon>

class QTimer;

namespace vaskor {

class ModeleMessages : public QAbstractTableModel, private ObservateurListe {
    Q_OBJECT
public:
    static constexpr int NombreColonnes = 4;

    explicit ModeleMessages(ListeMessages& liste, QObject* parent = nullptr);
    ~ModeleMessages() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Only the check box of column 0 can be changed: it is the row's mark.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The column painted light grey (the sort column).
    void DefinirColonneTri(int colonne);
    int ColonneTri() const { return colonneTri_; }
    // The font of unmarked rows; marked rows get the same one struck out.
    void DefinirPolice(const QFont& police);

    ListeMessages& Liste() { return liste_; }

    // While a check appends rows one by one, announcing each to the view would lay the whole
    // list out again for every message. Deferred, appended rows reach the view in batches, at
    // most a few times a second; ending the deferral (or any other change) announces the rest.
    void DiffererAjouts(bool differer);
    // Announces the rows appended since the last announcement.
    void AnnoncerAjouts();

signals:
    // The user changed a mark through the check box.
    void MarqueModifiee(int ligne);

private:
    void AvantAjout(std::size_t premiere, std::size_t derniere) override;
    void ApresAjout() override;
    void AvantRetrait(std::size_t premiere, std::size_t derniere) override;
    void ApresRetrait() override;
    void AvantReinitialisation() override;
    void ApresReinitialisation() override;
    void MarquesChangees(std::size_t premiere, std::size_t derniere) override;

    ListeMessages& liste_;
    // The rows the views know of: the first `annoncees_` of the list.
    int annoncees_ = 0;
    bool differer_ = false;
    QTimer* minuterie_ = nullptr;
    int colonneTri_ = 0;
    QFont police_;
    QFont policeBarree_;
    QIcon image_;
    QIcon imageApercu_;  // a previewed row
};

// Image 0 of the row images: a small envelope, drawn once.
QIcon ImageMessage();
// The icon of a previewed row.
QIcon ImageMessageApercu();

}  // namespace vaskor
