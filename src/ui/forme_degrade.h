#pragma once
// A band painted as a colour gradient in a number of stripes, with an optional caption
// (horizontal or turned by 90 degrees) and an optional border. The about box uses it.

#include <QColor>
#include <QWidget>

namespace vaskor {

class TOrvelShape2 : public QWidget {
    Q_OBJECT
public:
    enum TDirection { dBottomToTop, dHorizontal, dTopToBottom };
    enum TAlignment { aLeft, aCenter, aRight };

    explicit TOrvelShape2(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& c);
    TDirection Direction() const { return direction_; }
    void SetDirection(TDirection d);
    QColor ColorBegin() const { return colorBegin_; }
    void SetColorBegin(const QColor& c);
    QColor ColorEnd() const { return colorEnd_; }
    void SetColorEnd(const QColor& c);
    // Kept between 1 and 255.
    int NumberOfColors() const { return numberOfColors_; }
    void SetNumberOfColors(int n);
    QColor BorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor& c);
    // The absolute value, at most a quarter of the smaller side.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w);
    // Values below 1 become 0.
    int TextOffset() const { return textOffset_; }
    void SetTextOffset(int o);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t);
    TAlignment Alignement() const { return alignement_; }
    void SetAlignement(TAlignment a);

    // Colour number i (0..255) of the gradient.
    QColor Couleur(int i) const;

signals:
    void Clic();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QString caption_;
    TDirection direction_ = dHorizontal;
    QColor colorBegin_{0, 128, 128};
    QColor colorEnd_{192, 192, 192};
    int numberOfColors_ = 255;
    QColor borderColor_{Qt::black};
    int borderWidth_ = 0;
    int textOffset_ = 5;
    bool transparent_ = false;
    TAlignment alignement_ = aLeft;
};

}  // namespace vaskor
