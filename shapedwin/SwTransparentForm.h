// The transparent-form component: its region is the combination, in the
// form's component order, of the regions of the enabled masked images and
// shapes that the form owns.
#pragma once

#include "shapedwin/SwImage.h"
#include "shapedwin/SwShape.h"
#include "shapedwin/SwTransBase.h"

namespace shapedwin {

class TSwTransparentForm : public TSwTransBase {
public:
    using TSwTransBase::TSwTransBase;
    void BuildRegion() override;
};

}  // namespace shapedwin
