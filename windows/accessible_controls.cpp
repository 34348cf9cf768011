#include "windows/accessible_controls.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "windows/plain_controls.h"

namespace {

// Kept as a child object of the control, so the traits go when the control goes.
class TraitsHolder : public QObject {
public:
    TraitsHolder(QWidget& control, AccessibleTraits traits) : QObject(&control), traits(std::move(traits)) {}

    AccessibleTraits traits;
    // What a screen reader was last told.
    bool checked = false;
    bool unavailable = false;
    bool off_screen = false;
    std::optional<int> value;
};

class ListHolder : public QObject {
public:
    using QObject::QObject;
    std::vector<QPointer<QWidget>> controls;
};

// The holder kept as a child object of `object`, if it has one.
template <typename Holder>
Holder* holder_of(const QObject* object)
{
    if (object == nullptr) return nullptr;
    for (QObject* child : object->children())
        if (auto* holder = dynamic_cast<Holder*>(child)) return holder;
    return nullptr;
}

TraitsHolder* traits_of(const QObject* object)
{
    return holder_of<TraitsHolder>(object);
}

const ListHolder* list_of(const QObject* window)
{
    return holder_of<ListHolder>(window);
}

bool holds(const std::function<bool()>& trait)
{
    return trait && trait();
}

// A described control: a leaf of the tree that a screen reader finds under its window.
class DescribedControl : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    DescribedControl(QWidget* control, const AccessibleTraits& traits)
        : QAccessibleWidget(control, traits.role)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const AccessibleTraits& traits = this->traits();
        if (traits.checked) {
            state.checkable = true;
            state.checked = traits.checked();
        }
        if (holds(traits.unavailable)) {
            state.disabled = true;
            state.focusable = false;
        }
        if (holds(traits.off_screen)) {
            state.invisible = true;
            state.offscreen = true;
        }
        return state;
    }

    QAccessibleInterface* parent() const override
    {
        QWidget* window = widget()->window();
        if (const ListHolder* list = list_of(window)) {
            const auto& listed = list->controls;
            if (std::find(listed.begin(), listed.end(), widget()) != listed.end())
                return QAccessible::queryAccessibleInterface(window);
        }
        return QAccessibleWidget::parent();
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value && traits().value) return QString::number(traits().value());
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            if (const auto* label = qobject_cast<const TLabel*>(widget())) return label->caption();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (traits().press) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            press_described(*widget());
        else
            QAccessibleWidget::doAction(name);
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface && traits().value)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return traits().value(); }
    void setCurrentValue(const QVariant& value) override
    {
        if (traits().set_value && !holds(traits().unavailable))
            traits().set_value(std::clamp(value.toInt(), traits().minimum, traits().maximum));
    }
    QVariant maximumValue() const override { return traits().maximum; }
    QVariant minimumValue() const override { return traits().minimum; }
    QVariant minimumStepSize() const override { return traits().step; }

private:
    const AccessibleTraits& traits() const { return traits_of(object())->traits; }
};

// A window whose children, for a screen reader, are the controls it listed.
class ListingWindow : public QAccessibleWidget {
public:
    explicit ListingWindow(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(controls().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const std::vector<QWidget*> listed = controls();
        if (index < 0 || index >= static_cast<int>(listed.size())) return nullptr;
        return QAccessible::queryAccessibleInterface(listed[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const std::vector<QWidget*> listed = controls();
        const auto found = std::find(listed.begin(), listed.end(), child ? child->object() : nullptr);
        return found == listed.end() ? -1 : static_cast<int>(found - listed.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (QWidget* control : controls())
            if (control->isVisible() && !holds(traits_of(control)->traits.off_screen) &&
                QRect(control->mapToGlobal(QPoint(0, 0)), control->size()).contains(x, y))
                return QAccessible::queryAccessibleInterface(control);
        return nullptr;
    }

private:
    std::vector<QWidget*> controls() const { return listed_controls(*widget()); }
};

QAccessibleInterface* make_interface(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (const TraitsHolder* holder = traits_of(widget)) return new DescribedControl(widget, holder->traits);
    if (list_of(widget) != nullptr) return new ListingWindow(widget);
    return nullptr;
}

// An interface made before the traits were given (Qt makes them for the events of a widget being
// built) is the plain one: forgotten, the next query makes the right one.
void forget_plain_interface(QObject& object)
{
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&object);
    if (made != nullptr && dynamic_cast<DescribedControl*>(made) == nullptr &&
        dynamic_cast<ListingWindow*>(made) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

}  // namespace

void describe_for_screen_readers(QWidget& control, AccessibleTraits traits)
{
    static const bool installed = (QAccessible::installFactory(make_interface), true);
    (void)installed;
    delete traits_of(&control);
    auto* holder = new TraitsHolder(control, std::move(traits));
    if (holder->traits.checked) holder->checked = holder->traits.checked();
    holder->unavailable = holds(holder->traits.unavailable);
    holder->off_screen = holds(holder->traits.off_screen);
    if (holder->traits.value) holder->value = holder->traits.value();
    forget_plain_interface(control);
}

void list_for_screen_readers(QWidget& window, const std::vector<QWidget*>& controls)
{
    delete list_of(&window);
    auto* list = new ListHolder(&window);
    list->controls.assign(controls.begin(), controls.end());
    forget_plain_interface(window);
}

std::vector<QWidget*> listed_controls(const QWidget& window)
{
    std::vector<QWidget*> controls;
    if (const ListHolder* list = list_of(&window))
        for (const QPointer<QWidget>& control : list->controls)
            if (control) controls.push_back(control);
    return controls;
}

std::vector<QWidget*> reachable_controls(const QWidget& window)
{
    std::vector<QWidget*> reachable;
    for (QWidget* control : listed_controls(window)) {
        const AccessibleTraits& traits = traits_of(control)->traits;
        if ((control->focusPolicy() & Qt::TabFocus) && control->isVisibleTo(&window) &&
            !holds(traits.unavailable) && !holds(traits.off_screen))
            reachable.push_back(control);
    }
    return reachable;
}

bool press_described(QWidget& control)
{
    const TraitsHolder* holder = traits_of(&control);
    if (holder == nullptr || !holder->traits.press) return false;
    holder->traits.press();
    return true;
}

void announce_changes(QWidget& window)
{
    for (QWidget* control : listed_controls(window)) {
        TraitsHolder& holder = *traits_of(control);
        const AccessibleTraits& traits = holder.traits;
        // Each trait as it is now against what was told last; true when it changed.
        const auto update = [](auto& told, auto now) { return std::exchange(told, now) != now; };
        QAccessible::State changed;
        changed.checked = traits.checked && update(holder.checked, traits.checked());
        changed.disabled = update(holder.unavailable, holds(traits.unavailable));
        changed.invisible = changed.offscreen = update(holder.off_screen, holds(traits.off_screen));
        if (changed.checked || changed.disabled || changed.invisible) {
            QAccessibleStateChangeEvent event(control, changed);
            QAccessible::updateAccessibility(&event);
        }
        if (traits.value && update(holder.value, std::optional<int>(traits.value()))) {
            QAccessibleValueChangeEvent event(control, *holder.value);
            QAccessible::updateAccessibility(&event);
        }
    }
}
