// An output written under a temporary name beside its final one and renamed over it only once it is
// complete, so a failed or interrupted run never leaves a half-written file under the user's name.
#pragma once

#include <string>

namespace render {

class OutputFile {
public:
    explicit OutputFile(std::string path);
    ~OutputFile();  // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool valid() const { return !temporary_.empty(); }
    const std::string& temporaryPath() const { return temporary_; }
    // Renames the temporary file to the final name (replacing what is there); false when that fails.
    bool commit();

private:
    std::string path_;
    std::string temporary_;
    bool committed_ = false;
};

}  // namespace render
