#pragma once

#include <QPointer>
#include <QWidget>

/// The keyboard focus mark: a ring around the control that holds the focus from Tab, drawn in
/// the skin's accent yellow between two dark lines so that it reads on metal, on the red buttons
/// and on the preset pictures alike. It lies above every control of its window and lets the
/// mouse through.
class FocusRing : public QWidget {
    Q_OBJECT

public:
    explicit FocusRing(QWidget& window);

    /// Puts the ring around `control`, or hides it for nullptr.
    void follow(QWidget* control);
    QWidget* followed() const { return followed_; }

    /// Layout pixels the ring lies outside its control: a dark line, the accent and a dark line.
    static constexpr int outset = 4;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> followed_;
};
