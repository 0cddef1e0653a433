#include "drive/gui/drive_forms_qt.h"

#include "drive/gui/drive_data_forms.h"
#include "drive/gui/geometry_form.h"
#include "foundation/gui/qt_ui.h"

namespace kt4 {

namespace {

template <class Form>
void RunModal()
{
    Form form(kt4::gui::DialogParent());
    form.exec();
}

} // namespace

void RunGeometryForm() { RunModal<TForm_kt4geo>(); }
void RunDriveDataForm() { RunModal<TForm_kt4fs3>(); }
void RunPreDesignForm() { RunModal<TForm_kt4pre>(); }
void RunPreDesign2Form() { RunModal<TForm_kt4pre2>(); }

} // namespace kt4
