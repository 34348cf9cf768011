#pragma once

#include <string>

/// One name for the file at `path` however the path reaches it (".." after a link, another
/// mount of the same folder, a hard link): the device and inode of the file, or, for a file
/// that does not exist yet, of its nearest existing folder followed by the rest of the path.
/// Two paths with the same identity name one file.
std::string file_identity(const std::string& path);
