#include "shapedwin/SwTransparentForm.h"

namespace shapedwin {

using namespace gui;

void TSwTransparentForm::BuildRegion() {
    DeleteRegion();
    CreateEmptyRegion(FRegion);
    TCustomForm* form = Form();
    // Order matters with mixed modes; Enabled, not Visible, decides whether a
    // component takes part (a shape is usually invisible).
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        if (auto* shape = dynamic_cast<TSwShape*>(c); shape != nullptr && shape->Enabled())
            CombineWithMode(FRegion, shape->GetRegion(), shape->CombineMode());
        if (auto* image = dynamic_cast<TSwImage*>(c); image != nullptr && image->Enabled())
            CombineWithMode(FRegion, image->GetRegion(), image->CombineMode());
    }
}

}  // namespace shapedwin
