// The drive's forms use the common form helpers.
#pragma once

#include "foundation/gui/form_util.h"
