#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

/// A single line of text sized to its text: the box is the text's advance
/// wide and the font's height high, with the text's top-left at the box's
/// top-left. An opaque label paints its background colour first; a
/// transparent one lets its parent show through. A label takes the mouse
/// presses that land on it, so they never reach the control beneath.
class TLabel : public QWidget {
    Q_OBJECT

public:
    TLabel(QWidget* parent, int left, int top, const QString& caption, const QFont& font,
           const QColor& text_color, const QColor& background, bool transparent);

    QString caption() const { return caption_; }
    /// Changes the text and resizes the label to it.
    void set_caption(const QString& caption);

    QColor text_color() const { return text_color_; }
    QColor background() const { return background_; }
    bool transparent() const { return transparent_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void size_to_text();

    QString caption_;
    QColor text_color_;
    QColor background_;
    bool transparent_;
};

/// A filled rectangle with a 1-pixel black outline.
class TShape : public QWidget {
    Q_OBJECT

public:
    TShape(QWidget* parent, int left, int top, int width, int height, const QColor& fill);

    QColor fill() const { return fill_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
};
