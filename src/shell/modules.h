// Start values of every module, in the order the modules build on each
// other. The program entry runs it once; tests run it for a fresh start.
#pragma once

namespace kt4::shell {

void InitModules();

} // namespace kt4::shell
