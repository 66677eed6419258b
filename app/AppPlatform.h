// The one operating-system service the run needs beyond files: a folder for
// scratch files. Paths are UTF-8 on every platform (Windows converts them to
// UTF-16 at each call that touches a file); conversions between file names
// and code page 932 texts are base/CodePage's. Implemented per platform
// (platform/posix, platform/win32).
#pragma once

#include <string>

namespace pim {

// The folder for scratch files, in the platform's file-name encoding;
// empty when there is none.
std::string TemporaryFolder();

}  // namespace pim
