// What assistive technology (a screen reader, over AT-SPI on Linux) reads of
// our windows. Every windowed control has a Qt widget, described here by an
// interface that asks the control for its name, role and value. The graphic
// controls have no widget: each gets an interface of its own, listed as a
// child of its parent's widget, and so do the parts a control reports as
// items (the links of a page). Those interfaces live in Qt's registry until
// their control is destroyed or its items change.
#include "gui/windows/detail/AccessibleInternal.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>

#include <unordered_map>
#include <vector>

#include "gui/windows/ComCtrls.h"
#include "gui/windows/Controls.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/StdCtrls.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui::detail {

namespace {

TAccessibleRole RoleOf(const TControl* c) {
    TAccessibleRole r = c->AccessibleRole();
    if (r != arDefault) return r;
    if (dynamic_cast<const TCustomForm*>(c)) return arWindow;
    if (dynamic_cast<const TLabel*>(c)) return arLabel;
    if (dynamic_cast<const TListBox*>(c)) return arList;
    if (dynamic_cast<const TPageControl*>(c)) return arPageTabs;
    if (dynamic_cast<const TTabSheet*>(c)) return arPageTab;
    // Something drawn (an image, a shape), or a plain windowed area.
    return c->IsGraphic() ? arPicture : arPane;
}

QAccessible::Role QtRole(TAccessibleRole r) {
    switch (r) {
        case arDefault:
        case arNone: return QAccessible::NoRole;
        case arWindow: return QAccessible::Window;
        case arPane: return QAccessible::Pane;
        case arButton: return QAccessible::Button;
        case arLink: return QAccessible::Link;
        case arLabel: return QAccessible::StaticText;
        case arPicture: return QAccessible::Graphic;
        case arProgressBar: return QAccessible::ProgressBar;
        case arSlider: return QAccessible::Slider;
        // Qt has no level-bar role; a meter is read as a progress bar with
        // its value, which is what a level bar offers a reader as well.
        case arLevelBar: return QAccessible::ProgressBar;
        case arIndicator: return QAccessible::Indicator;
        case arDocument: return QAccessible::Document;
        case arList: return QAccessible::List;
        case arListItem: return QAccessible::ListItem;
        case arPageTabs: return QAccessible::PageTabList;
        case arPageTab: return QAccessible::PageTab;
    }
    return QAccessible::NoRole;
}

bool Pressable(TAccessibleRole r) { return r == arButton || r == arLink || r == arPageTab; }

// The widget that paints a control (its parent's for a graphic one).
QWidget* HostOf(const TControl* c) {
    if (!c) return nullptr;
    if (!c->IsGraphic()) return WidgetOf(static_cast<const TWinControl*>(c));
    return c->Parent() ? WidgetOf(c->Parent()) : nullptr;
}

QRect ScreenRect(QWidget* host, const TRect& r) {
    if (!host) return {};
    return QRect(host->mapToGlobal(QPoint(r.Left, r.Top)), QSize(r.Width(), r.Height()));
}

QAccessibleInterface* InterfaceFor(TControl* c);
QAccessibleInterface* ItemInterface(TControl* owner, int index);
int ItemIndex(const TControl* owner, const QAccessibleInterface* iface);

// The graphic children that assistive technology sees, bottom first.
std::vector<TControl*> GraphicChildren(const TWinControl* w) {
    std::vector<TControl*> out;
    if (!w) return out;
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (c->IsGraphic() && RoleOf(c) != arNone) out.push_back(c);
    }
    return out;
}

// The value side of an interface, read only (the controls are moved by their
// own input); Self gives the value through its Value().
template <class Self>
class ReadOnlyValue : public QAccessibleValueInterface {
public:
    QVariant currentValue() const override { return Of().Value().Current; }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return Of().Value().Max; }
    QVariant minimumValue() const override { return Of().Value().Min; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const Self& Of() const { return static_cast<const Self&>(*this); }
};

// ---- A graphic control, or an item of a control ------------------------------------
class PartAccessible : public QAccessibleInterface, public ReadOnlyValue<PartAccessible>, public QAccessibleActionInterface {
public:
    // An item when index >= 0, else the control itself.
    PartAccessible(TControl* c, int index) : control(c), item(index) {}

    TControl* control;
    const int item;

    bool isValid() const override { return control != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        QWidget* h = HostOf(control);
        return h ? h->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        if (!control) return nullptr;
        if (item >= 0) return InterfaceFor(control);
        QWidget* h = HostOf(control);
        return h ? QAccessible::queryAccessibleInterface(h) : nullptr;
    }
    int childCount() const override { return control && item < 0 ? control->AccessibleItemCount() : 0; }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? ItemInterface(control, index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        return control && item < 0 ? ItemIndex(control, c) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = childCount(); i-- > 0;) {
            QAccessibleInterface* c = child(i);
            if (c && c->rect().contains(x, y)) return c;
        }
        return nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (!control) return {};
        switch (t) {
            case QAccessible::Name: return FromAnsi(item >= 0 ? Item().Name : control->AccessibleName());
            case QAccessible::Value: {
                TAccessibleValue v;
                return item < 0 && control->AccessibleValue(v) ? QString::number(v.Current) : QString();
            }
            default: return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!control) return {};
        if (item >= 0) {
            // Items are in the control's client coordinates.
            TRect r = Item().Bounds;
            if (control->IsGraphic()) r = Bounds(r.Left + control->Left(), r.Top + control->Top(), r.Width(), r.Height());
            return ScreenRect(HostOf(control), r);
        }
        return ScreenRect(HostOf(control), control->BoundsRect());
    }
    QAccessible::Role role() const override { return QtRole(Role()); }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!control) {
            s.invalid = true;
            return s;
        }
        const bool showing = control->Showing();
        s.invisible = !showing;
        s.offscreen = !showing;
        if (item >= 0 && showing) {
            // An item scrolled out of its control's client area.
            const TRect r = Item().Bounds, c = control->ClientRect();
            s.offscreen = r.Right <= c.Left || r.Left >= c.Right || r.Bottom <= c.Top || r.Top >= c.Bottom;
        }
        s.disabled = !control->Enabled();
        if (Role() == arLink) s.linked = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        TAccessibleValue v;
        if (t == QAccessible::ValueInterface && control && item < 0 && control->AccessibleValue(v))
            return static_cast<QAccessibleValueInterface*>(this);
        if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }


    QStringList actionNames() const override {
        return control && Pressable(Role()) ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString& name) override {
        if (!control || name != pressAction() || !Pressable(Role()) || !control->Enabled()) return;
        TControl* c = control;
        const int i = item;
        Guard([c, i] {
            if (i >= 0)
                c->AccessibleItemPress(i);
            else
                c->Click();
        });
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TAccessibleItem Item() const {
        return control && item >= 0 && item < control->AccessibleItemCount() ? control->AccessibleItem(item)
                                                                              : TAccessibleItem{};
    }
    TAccessibleRole Role() const {
        if (!control) return arNone;
        return item >= 0 ? Item().Role : RoleOf(control);
    }
    friend class ReadOnlyValue<PartAccessible>;
    TAccessibleValue Value() const {
        TAccessibleValue v;
        if (control && item < 0) control->AccessibleValue(v);
        return v;
    }
};

// ---- The widget of a windowed control ---------------------------------------------
class WinAccessible : public QAccessibleWidget, public ReadOnlyValue<WinAccessible> {
public:
    explicit WinAccessible(WinWidget* w) : QAccessibleWidget(w, QAccessible::Client) {}

    TWinControl* Owner() const { return static_cast<WinWidget*>(widget())->owner; }

    QAccessible::Role role() const override {
        TWinControl* o = Owner();
        return o ? QtRole(RoleOf(o)) : QAccessibleWidget::role();
    }
    QString text(QAccessible::Text t) const override {
        TWinControl* o = Owner();
        if (!o) return QAccessibleWidget::text(t);
        if (t == QAccessible::Name) return FromAnsi(o->AccessibleName());
        TAccessibleValue v;
        if (t == QAccessible::Value && o->AccessibleValue(v)) return QString::number(v.Current);
        return QAccessibleWidget::text(t);
    }
    int childCount() const override {
        TWinControl* o = Owner();
        int n = static_cast<int>(WidgetChildren().size());
        if (o) n += static_cast<int>(GraphicChildren(o).size()) + o->AccessibleItemCount();
        return n;
    }
    QAccessibleInterface* child(int index) const override {
        const std::vector<QAccessibleInterface*> widgets = WidgetChildren();
        const int base = static_cast<int>(widgets.size());
        if (index < 0) return nullptr;
        if (index < base) return widgets[static_cast<std::size_t>(index)];
        TWinControl* o = Owner();
        if (!o) return nullptr;
        index -= base;
        const std::vector<TControl*> graphic = GraphicChildren(o);
        if (index < static_cast<int>(graphic.size())) return InterfaceFor(graphic[static_cast<std::size_t>(index)]);
        index -= static_cast<int>(graphic.size());
        return index < o->AccessibleItemCount() ? ItemInterface(o, index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        const std::vector<QAccessibleInterface*> widgets = WidgetChildren();
        const int base = static_cast<int>(widgets.size());
        for (int i = 0; i < base; ++i)
            if (widgets[static_cast<std::size_t>(i)] == c) return i;
        TWinControl* o = Owner();
        if (!o || !c) return -1;
        const std::vector<TControl*> graphic = GraphicChildren(o);
        for (std::size_t i = 0; i < graphic.size(); ++i)
            if (InterfaceFor(graphic[i]) == c) return base + static_cast<int>(i);
        const int item = ItemIndex(o, c);
        return item >= 0 ? base + static_cast<int>(graphic.size()) + item : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        // Topmost first: items over graphic controls over child windows.
        for (int i = childCount(); i-- > 0;) {
            QAccessibleInterface* c = child(i);
            if (c && !c->state().invisible && c->rect().contains(x, y)) return c;
        }
        return nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        TAccessibleValue v;
        TWinControl* o = Owner();
        if (t == QAccessible::ValueInterface && o && o->AccessibleValue(v))
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }


    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        TWinControl* o = Owner();
        if (o && Pressable(RoleOf(o))) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override {
        TWinControl* o = Owner();
        if (o && name == pressAction() && Pressable(RoleOf(o))) {
            if (o->Enabled()) Guard([o] { o->Click(); });
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    friend class ReadOnlyValue<WinAccessible>;
    TAccessibleValue Value() const {
        TAccessibleValue v;
        if (TWinControl* o = Owner()) o->AccessibleValue(v);
        return v;
    }
    // Qt's children of the widget, less the windows of controls left out
    // (a slider's thumb: the slider itself has the value).
    std::vector<QAccessibleInterface*> WidgetChildren() const {
        std::vector<QAccessibleInterface*> out;
        const int n = QAccessibleWidget::childCount();
        for (int i = 0; i < n; ++i) {
            QAccessibleInterface* c = QAccessibleWidget::child(i);
            if (!c) continue;
            auto* w = dynamic_cast<WinWidget*>(c->object());
            if (w && w->owner && RoleOf(w->owner) == arNone) continue;
            out.push_back(c);
        }
        return out;
    }
};

// ---- Registry of the interfaces without a widget -----------------------------------
struct Registry {
    std::unordered_map<const TControl*, QAccessible::Id> controls;
    std::unordered_map<const TControl*, std::vector<QAccessible::Id>> items;
};
Registry& registry() {
    static Registry r;
    return r;
}

QAccessibleInterface* InterfaceFor(TControl* c) {
    if (!c) return nullptr;
    if (!c->IsGraphic()) return QAccessible::queryAccessibleInterface(HostOf(c));
    Registry& r = registry();
    auto it = r.controls.find(c);
    if (it != r.controls.end()) return QAccessible::accessibleInterface(it->second);
    auto* iface = new PartAccessible(c, -1);
    r.controls[c] = QAccessible::registerAccessibleInterface(iface);
    return iface;
}

QAccessibleInterface* ItemInterface(TControl* owner, int index) {
    std::vector<QAccessible::Id>& ids = registry().items[owner];
    const int count = owner->AccessibleItemCount();
    while (static_cast<int>(ids.size()) < count)
        ids.push_back(QAccessible::registerAccessibleInterface(new PartAccessible(owner, static_cast<int>(ids.size()))));
    return index >= 0 && index < count ? QAccessible::accessibleInterface(ids[static_cast<std::size_t>(index)]) : nullptr;
}

int ItemIndex(const TControl* owner, const QAccessibleInterface* iface) {
    auto it = registry().items.find(owner);
    if (it == registry().items.end() || !iface) return -1;
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(iface));
    for (std::size_t i = 0; i < it->second.size(); ++i)
        if (it->second[i] == id) return static_cast<int>(i);
    return -1;
}

void Forget(QAccessible::Id id) {
    QAccessibleInterface* iface = QAccessible::accessibleInterface(id);
    if (!iface) return;
    // Invalid from here on: the control may be half destroyed.
    static_cast<PartAccessible*>(iface)->control = nullptr;
    QAccessible::deleteAccessibleInterface(id);
}

void DropItems(const TControl* c) {
    auto it = registry().items.find(c);
    if (it == registry().items.end()) return;
    std::vector<QAccessible::Id> ids;
    ids.swap(it->second);
    registry().items.erase(it);
    for (QAccessible::Id id : ids) Forget(id);
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* w = dynamic_cast<WinWidget*>(object);
    return w && w->owner ? new WinAccessible(w) : nullptr;
}

}  // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}

void NotifyAccessible(TControl* control, AccessibleChange what) {
    if (!control) return;
    if (what == AccessibleChange::Items) DropItems(control);
    if (!QAccessible::isActive()) return;
    if (!control->IsGraphic() && !HostOf(control)) return;
    QAccessibleInterface* iface = InterfaceFor(control);
    if (!iface) return;
    switch (what) {
        case AccessibleChange::Value: {
            TAccessibleValue v;
            if (!control->AccessibleValue(v)) return;
            QAccessibleValueChangeEvent e(iface, v.Current);
            QAccessible::updateAccessibility(&e);
            break;
        }
        case AccessibleChange::Name: {
            QAccessibleEvent e(iface, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&e);
            break;
        }
        case AccessibleChange::Items: {
            QAccessibleEvent e(iface, QAccessible::ObjectReorder);
            QAccessible::updateAccessibility(&e);
            break;
        }
    }
}

void AccessibleControlGone(const TControl* control) {
    Registry& r = registry();
    if (r.controls.empty() && r.items.empty()) return;
    DropItems(control);
    auto it = r.controls.find(control);
    if (it == r.controls.end()) return;
    const QAccessible::Id id = it->second;
    r.controls.erase(it);
    Forget(id);
}

}  // namespace gui::detail
