#pragma once

#include <string>
#include <vector>

#include "ops/selected_files.h"

class FileSystem;
class MessageBoxes;

// Moves each file into the game's folder for its extension under its
// recorded name, never over an existing file; packages only when the player
// agrees. Each failure is reported and the next file goes on.
void ExtractFiles(const std::vector<SelectedFile>& files, const std::string& gameDir,
                  FileSystem& fileSystem, MessageBoxes& boxes);
