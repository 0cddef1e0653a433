// Mode 7: the STEP file. Blocks are block files, replayed at every insert,
// so the STEP file receives only its own records.
#include "cad/block_file_device.h"
#include "cad/cad_devices.h"
#include "cad/cad_internal.h"
#include "cad/cad_settings.h"
#include "cad/step_writer.h"

namespace kt4::cad {

namespace {

class StepDevice : public TBlockFileDevice {
public:
    std::string Extension() const override { return "stp"; }
    void Header(Real, Real, Real, Real, Real) override { step_.Header(CadFileName); }
    void Entities() override { step_.Entities(); }
    bool PassDone() override { return step_.PassDone(); }
    // STEP carries lines only: a drawing of circles, arcs and texts gives
    // no file.
    bool Blank() const override { return step_.Lines() == 0; }

protected:
    bool OpenOutput() override { return step_.Open(CadFileName); }
    bool CloseOutput() override
    {
        if (step_.Close())
            return true;
        detail::TellWriteFailure(FailureText());
        return false;
    }
    void DiscardOutput() override { step_.Discard(); }
    std::string OutputFailureText() const override { return step_.File().FailureText(); }
    void DrawLine(Real x1, Real y1, Real x2, Real y2) override { step_.Line(x1, y1, x2, y2); }

private:
    StepWriter step_;
};

} // namespace

std::unique_ptr<TCadDevice> MakeStepDevice() { return std::make_unique<StepDevice>(); }

} // namespace kt4::cad
