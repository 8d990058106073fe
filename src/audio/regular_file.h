#pragma once
// Sound files are opened only when they are regular files: a FIFO would
// block the opening thread until a writer came, a device would never end.

#include <string>

namespace tarvo {

// A descriptor of `path` opened for reading, or -1 if it cannot be opened or
// is not a regular file. Never blocks on the file's kind. The caller closes it.
int openRegularFile(const std::string& path);
bool isRegularFile(const std::string& path);

}  // namespace tarvo
