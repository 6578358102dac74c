// An off-screen form for the controls' paint and input tests.
#pragma once

#include <memory>

#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"

namespace controls_test {

// A form whose own paints are counted, to tell self-started repaints that
// reuse a cached background from those that repaint the parent.
class CountingForm : public gui::TForm {
public:
    explicit CountingForm(gui::TComponent* owner) : gui::TForm(owner) {}
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        gui::TForm::Paint();
    }
};

inline std::unique_ptr<CountingForm> MakeForm(gui::TColor color = gui::clBlue, int w = 320, int h = 240) {
    auto f = std::make_unique<CountingForm>(nullptr);
    f->SetBorderStyle(gui::bsNone);
    f->SetBounds(50, 50, w, h);
    f->SetColor(color);
    f->Show();
    return f;
}

template <typename T>
T* Add(gui::TWinControl* parent, int l, int t, int w, int h) {
    auto* c = new T(parent);
    c->SetBounds(l, t, w, h);
    c->SetParent(parent);
    return c;
}

}  // namespace controls_test
