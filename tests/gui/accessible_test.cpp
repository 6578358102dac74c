// What assistive technology reads of a form through Qt's accessibility:
// windowed controls through their widgets, graphic controls and a control's
// items through interfaces of their own.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/StdCtrls.h"
#include "gui/windows/TestKit.h"
#include "gui/windows/detail/win_Internal.h"

using namespace gui;
namespace tk = gui::testkit;

namespace {

// A drawn meter with a range, and a drawn strip of two "links" as items.
class Meter : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    int value = 3;
    bool AccessibleValue(TAccessibleValue& v) const override {
        v = {0, 10, value};
        return true;
    }
};
class LinkStrip : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int pressed = -1;
    int count = 2;
    int AccessibleItemCount() const override { return count; }
    TAccessibleItem AccessibleItem(int i) const override {
        return {i == 0 ? "Home" : "Next", arLink, Bounds(10 + 50 * i, 2, 40, 12)};
    }
    void AccessibleItemPress(int i) override { pressed = i; }
};

QAccessibleInterface* ChildNamed(QAccessibleInterface* parent, const QString& name) {
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface* c = parent->child(i);
        if (c && c->text(QAccessible::Name) == name) return c;
    }
    return nullptr;
}

}  // namespace

TEST(Accessible, FormsAndTheirControlsHaveNamesRolesValuesAndActions) {
    tk::Session s;
    TForm f(nullptr);
    f.SetCaption("Player");
    f.SetBorderStyle(bsNone);
    f.SetBounds(300, 200, 200, 120);
    f.Show();
    auto* play = new TLabel(&f);
    play->SetParent(&f);
    play->SetBounds(10, 10, 40, 13);
    play->SetCaption("Play");
    play->SetAccessibleRole(arButton);
    int clicks = 0;
    play->OnClick = [&](TObject*) { ++clicks; };
    auto* meter = new Meter(&f);
    meter->SetParent(&f);
    meter->SetBounds(10, 40, 80, 5);
    meter->SetAccessibleRole(arLevelBar);
    meter->SetAccessibleName("Level");
    auto* art = new TPaintBox(&f);
    art->SetParent(&f);
    art->SetAccessibleRole(arNone);  // left out, as is a windowed one
    auto* thumb = new TCustomControl(&f);
    thumb->SetParent(&f);
    thumb->SetAccessibleRole(arNone);
    auto* strip = new LinkStrip(&f);
    strip->SetParent(&f);
    strip->SetBounds(0, 60, 200, 20);

    QAccessibleInterface* form = QAccessible::queryAccessibleInterface(detail::WidgetOf(&f));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->role(), QAccessible::Window);
    EXPECT_EQ(form->text(QAccessible::Name), "Player");
    f.SetAccessibleName("Music player");
    EXPECT_EQ(form->text(QAccessible::Name), "Music player") << "a given name wins over the caption";
    // The strip's widget, then the graphic controls in z-order (not the ones left out).
    ASSERT_EQ(form->childCount(), 3);
    EXPECT_EQ(form->child(0)->role(), QAccessible::Pane);

    QAccessibleInterface* button = form->child(1);
    EXPECT_EQ(button->text(QAccessible::Name), "Play");
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(button->parent(), form);
    EXPECT_EQ(form->indexOfChild(button), 1);
    const TPoint at = f.ClientToScreen(TPoint{10, 10});
    EXPECT_EQ(button->rect(), QRect(at.X, at.Y, play->Width(), play->Height()));
    EXPECT_EQ(form->childAt(button->rect().center().x(), button->rect().center().y()), button);
    play->SetCaption("Pause");
    EXPECT_EQ(button->text(QAccessible::Name), "Pause") << "the name follows the caption";
    ASSERT_NE(button->actionInterface(), nullptr);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
    play->SetEnabled(false);
    EXPECT_TRUE(button->state().disabled);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1) << "a disabled control is not pressed";

    QAccessibleInterface* level = ChildNamed(form, "Level");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->role(), QAccessible::ProgressBar);
    ASSERT_NE(level->valueInterface(), nullptr);
    EXPECT_EQ(level->valueInterface()->maximumValue().toInt(), 10);
    meter->value = 7;
    EXPECT_EQ(level->valueInterface()->currentValue().toInt(), 7);
    EXPECT_EQ(level->text(QAccessible::Value), "7");
    EXPECT_TRUE(level->actionInterface()->actionNames().isEmpty()) << "a meter is not pressed";
    meter->Hide();
    EXPECT_TRUE(level->state().invisible);

    // Items: links with their place, pressed through their interface.
    QAccessibleInterface* links = form->child(0);
    ASSERT_EQ(links->childCount(), 2);
    QAccessibleInterface* next = links->child(1);
    EXPECT_EQ(next->text(QAccessible::Name), "Next");
    EXPECT_EQ(next->role(), QAccessible::Link);
    EXPECT_EQ(next->parent(), links);
    EXPECT_EQ(links->indexOfChild(next), 1);
    EXPECT_EQ(next->rect().topLeft(), detail::WidgetOf(strip)->mapToGlobal(QPoint(60, 2)));
    next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(strip->pressed, 1);
    // New items: the old interfaces are dropped, not left pointing at them.
    const QAccessible::Id oldId = QAccessible::uniqueId(next);
    strip->count = 1;
    strip->AccessibleItemsChanged();
    EXPECT_EQ(QAccessible::accessibleInterface(oldId), nullptr);
    EXPECT_EQ(links->childCount(), 1);

    // A destroyed control's interface goes with it.
    const QAccessible::Id meterId = QAccessible::uniqueId(level);
    delete meter;
    EXPECT_EQ(QAccessible::accessibleInterface(meterId), nullptr);
    EXPECT_EQ(form->childCount(), 2);
}
