// A new file under a name nobody has used, there only when complete: the
// bytes are written into a file without a name (O_TMPFILE) and flushed,
// then the file is linked under a fresh name in one step. A process killed
// at any moment leaves either nothing or the complete file. A link never
// replaces an existing name, so a planted file or link is never touched.
// Where the file system has no unnamed files, the bytes are staged in the
// process's private folder (private_temp.h) and linked from there.
#pragma once

#include <string>
#include <string_view>

namespace kt4 {

enum class Staging { Unnamed, PrivateFolder };

// Writes Bytes into Dir/Stem-XXXXXX.Ext (XXXXXX letters and digits, the
// file of mode 0600) and returns that name; "" when it failed, with the
// system's reason in Err. Unnamed falls back to PrivateFolder by itself.
std::string WriteUniqueFile(const std::string& Dir, const std::string& Stem, const std::string& Ext,
                            std::string_view Bytes, int& Err, Staging How = Staging::Unnamed);

} // namespace kt4
