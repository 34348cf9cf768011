#include "windows/plain_controls.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TLabel::TLabel(QWidget* parent, int left, int top, const QString& caption, const QFont& font,
               const QColor& text_color, const QColor& background, bool transparent,
               const std::optional<QFont>& fine_font)
    : QWidget(parent),
      caption_(caption),
      text_color_(text_color),
      background_(background),
      transparent_(transparent),
      fine_font_(fine_font)
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
    // A label without a name of its own is read by its text.
    if (accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
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
    painter.setPen(text_color_);
    const int baseline = QFontMetrics(font()).ascent();
    if (devicePixelRatioF() == 1.0 || !fine_font_) {
        painter.setFont(font());
        painter.drawText(QPoint(0, baseline), caption_);
        return;
    }
    const qreal cell = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('M'));
    painter.setFont(*fine_font_);
    for (qsizetype i = 0; i < caption_.size(); ++i)
        painter.drawText(QPointF(static_cast<qreal>(i) * cell, baseline), QString(caption_[i]));
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
