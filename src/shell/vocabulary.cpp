#include "shell/vocabulary.h"

namespace kt4::vocabulary {

#define KT4_DEFINE_WORD(name) std::string name;
KT4_VOCABULARY(KT4_DEFINE_WORD)
KT4_PART_NAMES(KT4_DEFINE_WORD)
#undef KT4_DEFINE_WORD

} // namespace kt4::vocabulary
