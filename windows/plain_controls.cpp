#include "windows/plain_controls.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TLabel::TLabel(QWidget* parent, int left, int top, const QString& caption, const QFont& font,
               const QColor& text_color, const QColor& background, bool transparent)
    : QWidget(parent),
      caption_(caption),
      text_color_(text_color),
      background_(background),
      transparent_(transparent)
{
    setFont(font);
    if (!transparent_) setAttribute(Qt::WA_OpaquePaintEvent);
    move(left, top);
    size_to_text();
}

void TLabel::set_caption(const QString& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    size_to_text();
    update();
}

void TLabel::size_to_text()
{
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(caption_), metrics.height());
}

void TLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!transparent_) painter.fillRect(rect(), background_);
    painter.setFont(font());
    painter.setPen(text_color_);
    painter.drawText(QPoint(0, QFontMetrics(font()).ascent()), caption_);
}

// Accepting the events keeps them from travelling on to the parent control.
void TLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}
void TLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}
void TLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

TShape::TShape(QWidget* parent, int left, int top, int width, int height, const QColor& fill)
    : QWidget(parent), fill_(fill)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(left, top, width, height);
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), fill_);
}
