#include "drive/gui/docu_forms_qt.h"

#include "drive/docu_forms.h"
#include "drive/gui/doclinks_form.h"
#include "drive/gui/project_texts_form.h"
#include "drive/gui/revision_form.h"
#include "drive/gui/title_block_form.h"
#include "foundation/gui/qt_ui.h"

namespace kt4 {

namespace {

template <class Form, class... A>
bool RunModal(A... args)
{
    Form form(args..., kt4::gui::DialogParent());
    return form.exec() == QDialog::Accepted;
}

} // namespace

void InstallDocuForms()
{
    docu::Forms.projectTexts = [] { return RunModal<Tform_uni4>(); };
    docu::Forms.revision = [](Word entry) { return RunModal<TForm_EinAend>(entry); };
    docu::Forms.titleBlock = [] { return RunModal<TForm_zeichInfo>(); };
    docu::Forms.documentLinks = [] { return RunModal<TForm_confDoku>(); };
}

} // namespace kt4
