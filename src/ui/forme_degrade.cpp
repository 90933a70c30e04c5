#include "ui/forme_degrade.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <cmath>
#include <cstdlib>

namespace vaskor {

TOrvelShape2::TOrvelShape2(QWidget* parent) : QWidget(parent)
{
    resize(150, 21);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(10);
    f.setBold(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::ToolTipBase));
    setPalette(p);
}

void TOrvelShape2::SetCaption(const QString& c) { caption_ = c; update(); }
void TOrvelShape2::SetDirection(TDirection d) { direction_ = d; update(); }
void TOrvelShape2::SetColorBegin(const QColor& c) { colorBegin_ = c; update(); }
void TOrvelShape2::SetColorEnd(const QColor& c) { colorEnd_ = c; update(); }
void TOrvelShape2::SetBorderColor(const QColor& c) { borderColor_ = c; update(); }
void TOrvelShape2::SetTransparent(bool t) { transparent_ = t; update(); }
void TOrvelShape2::SetAlignement(TAlignment a) { alignement_ = a; update(); }

void TOrvelShape2::SetNumberOfColors(int n)
{
    numberOfColors_ = n > 255 ? 255 : (n < 1 ? 1 : n);
    update();
}

void TOrvelShape2::SetBorderWidth(int w)
{
    w = std::abs(w);
    const int qw = width() / 4, qh = height() / 4;
    if (w >= qw || w >= qh) w = qw < qh ? qw : qh;
    borderWidth_ = w;
    update();
}

void TOrvelShape2::SetTextOffset(int o)
{
    textOffset_ = o < 1 ? 0 : o;
    update();
}

QColor TOrvelShape2::Couleur(int i) const
{
    // With one colour the whole band takes the begin colour.
    if (numberOfColors_ <= 1) return colorBegin_;
    auto canal = [&](int debut, int fin) {
        const long v = debut + std::lround(double(i) * (fin - debut) / (numberOfColors_ - 1));
        return int(v & 0xFF);
    };
    return QColor(canal(colorBegin_.red(), colorEnd_.red()), canal(colorBegin_.green(), colorEnd_.green()),
                  canal(colorBegin_.blue(), colorEnd_.blue()));
}

void TOrvelShape2::paintEvent(QPaintEvent*)
{
    const int W = width(), H = height();
    QPainter p(this);
    if (!transparent_) {
        const int N = numberOfColors_;
        const int L = direction_ == dHorizontal ? W : H;
        for (int i = 0; i < N; ++i) {
            const int a = int(std::lround(double(i) * L / N)), b = int(std::lround(double(i + 1) * L / N));
            const QColor c = Couleur(direction_ == dBottomToTop ? N - 1 - i : i);
            if (direction_ == dHorizontal) p.fillRect(a, 0, b - a, H, c);
            else p.fillRect(0, a, W, b - a, c);
        }
    }
    if (!caption_.isEmpty()) {
        p.setFont(font());
        p.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics m(font());
        const int tw = m.horizontalAdvance(caption_), th = m.height(), off = textOffset_;
        int x = 0, y = 0;
        if (direction_ == dHorizontal) {
            y = (H - th) / 2;
            x = alignement_ == aLeft ? off : (alignement_ == aCenter ? (W - tw) / 2 : W - tw - off);
            p.drawText(QRect(x, y, tw, th), Qt::AlignLeft | Qt::AlignTop, caption_);
        } else if (direction_ == dBottomToTop) {
            x = (W - th) / 2;
            y = alignement_ == aLeft ? H - off : (alignement_ == aCenter ? (H + tw) / 2 : tw + off);
            p.save();
            p.translate(x, y);
            p.rotate(-90);
            p.drawText(QRect(0, 0, tw, th), Qt::AlignLeft | Qt::AlignTop, caption_);
            p.restore();
        } else {
            x = (W + th) / 2;
            y = alignement_ == aLeft ? off : (alignement_ == aCenter ? (H - tw) / 2 : H - tw - off);
            p.save();
            p.translate(x, y);
            p.rotate(90);
            p.drawText(QRect(0, 0, tw, th), Qt::AlignLeft | Qt::AlignTop, caption_);
            p.restore();
        }
    }
    if (borderWidth_ > 0) {
        const int d = borderWidth_ / 2;
        QRect r = rect().adjusted(d, d, -d, -d);
        if (borderWidth_ % 2 == 0) r.adjust(0, 0, 1, 1);
        p.setPen(QPen(borderColor_, borderWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        // Qt draws a rectangle's right and bottom edges one pixel out; the client rectangle's
        // edges are inside it.
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void TOrvelShape2::mousePressEvent(QMouseEvent* e)
{
    QWidget::mousePressEvent(e);
    emit Clic();
}

}  // namespace vaskor
