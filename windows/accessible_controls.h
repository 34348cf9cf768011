#pragma once

#include <QAccessible>
#include <QWidget>
#include <functional>
#include <vector>

/// What a screen reader is told of a control drawn from skin pictures, beyond its name and
/// description (the widget's accessibleName, and its accessibleDescription or else its tooltip).
/// Every function is optional; an empty one means the control has no such trait.
struct AccessibleTraits {
    QAccessible::Role role = QAccessible::Client;
    /// A toggle: whether it is on now.
    std::function<bool()> checked{};
    /// Greyed out now: shown, but pressing it does nothing.
    std::function<bool()> unavailable{};
    /// Not on the screen now (a panel slid shut over it).
    std::function<bool()> off_screen{};
    /// What pressing it does, as a click would.
    std::function<void()> press{};
    /// A slider's value in [minimum, maximum], and setting it as the user would.
    std::function<int()> value{};
    std::function<void(int)> set_value{};
    int minimum = 0;
    int maximum = 0;
    int step = 1;
};

/// Gives `control` those traits for as long as it lives. Qt's accessibility then reports it with
/// them; the first call installs the interfaces' factory.
void describe_for_screen_readers(QWidget& control, AccessibleTraits traits);

/// Lists `controls` directly under `window`, in this order, as the whole of what a screen reader
/// finds in it: the pictures, bars and plates they lie on stay out of the way. Each must have been
/// described.
void list_for_screen_readers(QWidget& window, const std::vector<QWidget*>& controls);

/// The controls listed in `window`, in their order.
std::vector<QWidget*> listed_controls(const QWidget& window);

/// The listed controls a keyboard can reach now, in order: those with a Tab focus policy that
/// are shown, on the screen and available.
std::vector<QWidget*> reachable_controls(const QWidget& window);

/// Presses `control` as a click does: a greyed-out control's own handler ignores it, as it
/// ignores the click. False when the control has no press.
bool press_described(QWidget& control);

/// Tells a screen reader what changed in the listed controls of `window` since the last call: a
/// toggle switched, a control greyed out or available again, a slider's new value.
void announce_changes(QWidget& window);
