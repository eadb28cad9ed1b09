#pragma once

namespace app {

//! The star calculation as the views start it: from the controls as they are
//! at that moment. The window implements it; the extended views write the
//! parameter editors and call it the way a user would press Calculate.
class Calculation {
public:
    virtual ~Calculation() = default;

    //! Reads the controls once, refuses with a message what cannot be
    //! calculated (nothing changes then) and otherwise runs the calculation.
    //! Returns whether it ran.
    virtual bool CalcFFTS() = 0;
    //! The Calculate button: from the About page it switches to the star page,
    //! the star picture becomes the paint target, any colour composite is
    //! dropped, and CalcFFTS runs.
    virtual void CalculateButtonClick() = 0;
};

}  // namespace app
