#include "imagelist/FileFacts.h"

namespace pim {

bool FileExists(const std::string& path) {
    TFileFacts facts;
    return GetFileFacts(path, facts) && !facts.IsDirectory;
}

bool DirectoryExists(const std::string& path) {
    TFileFacts facts;
    return GetFileFacts(path, facts) && facts.IsDirectory;
}

}  // namespace pim
