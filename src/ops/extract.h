#pragma once

#include <string>
#include <vector>

#include "ops/selected_files.h"

class FileSystem;
class MessageBoxes;

// Moves each file into the game's folder for its extension under its
// recorded name, never over an existing file; packages only when the player
// agrees. Each failure is reported and the next file goes on.
// With `unicodeNames`, the file is named by the characters the player sees:
// a name that is not UTF-8 is read as Windows-1252, for a system that keeps
// file names in UTF-8 and a game that asks for them by character.
void ExtractFiles(const std::vector<SelectedFile>& files, const std::string& gameDir,
                  FileSystem& fileSystem, MessageBoxes& boxes, bool unicodeNames);
