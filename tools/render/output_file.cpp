#include "tools/render/output_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace render {

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    const std::filesystem::path final(path_);
    // Hidden, beside the final name: the rename stays on one file system.
    std::string pattern = (final.parent_path() / ("." + final.filename().string() + ".partial-XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return;
    // mkstemp makes the file private; give it the permissions a newly created file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    temporary_ = pattern;
}

OutputFile::~OutputFile() {
    if (!committed_ && !temporary_.empty()) std::remove(temporary_.c_str());
}

bool OutputFile::commit() {
    if (temporary_.empty() || std::rename(temporary_.c_str(), path_.c_str()) != 0) return false;
    committed_ = true;
    return true;
}

}  // namespace render
