// Registers the CAD layer's forms with the core (the plot program's form
// for CadOutputDialog). The program calls it once its Qt application
// exists.
#pragma once

namespace kt4 {

void InstallCadForms();

} // namespace kt4
