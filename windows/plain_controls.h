#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <optional>

/// A single line of text sized to its text: the box is the text's advance
/// wide and the font's height high, with the text's top-left at the box's
/// top-left. An opaque label paints its background colour first; a
/// transparent one lets its parent show through. A label takes the mouse
/// presses that land on it, so they never reach the control beneath.
///
/// The font is fixed-pitch. On a screen finer than the layout (device pixel
/// ratio other than 1) a label given a `fine_font` draws with it instead, each
/// character in the cell the layout font gives it and on the same baseline, so
/// the box and the text's place stay those of the layout.
class TLabel : public QWidget {
    Q_OBJECT

public:
    TLabel(QWidget* parent, int left, int top, const QString& caption, const QFont& font,
           const QColor& text_color, const QColor& background, bool transparent,
           const std::optional<QFont>& fine_font = std::nullopt);

    QString caption() const { return caption_; }
    /// Changes the text and resizes the label to it.
    void set_caption(const QString& caption);

    QColor text_color() const { return text_color_; }
    QColor background() const { return background_; }
    bool transparent() const { return transparent_; }
    const std::optional<QFont>& fine_font() const { return fine_font_; }

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
    std::optional<QFont> fine_font_;
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
