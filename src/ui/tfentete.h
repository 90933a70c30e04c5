#pragma once
// The headers viewer: the raw header lines of one message, as received.

#include "mail/message.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace vaskor {

class TFEntete : public QDialog {
    Q_OBJECT
public:
    explicit TFEntete(QWidget* parent = nullptr);

    // One header line per line; folded lines stay on their own lines.
    void Charger(const ListeEntetes& entetes);
    QPlainTextEdit* MEntete() const { return mEntete_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    QPlainTextEdit* mEntete_;
    QPushButton* bFermer_;
};

}  // namespace vaskor
