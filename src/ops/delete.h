#pragma once

#include <vector>

#include "ops/selected_files.h"

class FileSystem;
class MessageBoxes;

// Deletes each file at once; each failure is reported and the next file goes on.
void DeleteFiles(const std::vector<SelectedFile>& files, FileSystem& fileSystem,
                 MessageBoxes& boxes);
