#include "ops/delete.h"

#include <string>

#include "platform/file_system.h"
#include "ui/message_boxes.h"

void DeleteFiles(const std::vector<SelectedFile>& files, FileSystem& fileSystem,
                 MessageBoxes& boxes) {
    for (const SelectedFile& file : files) {
        if (const int error = fileSystem.RemoveFile(file.path); error != 0) {
            boxes.Show("Warning: " + std::to_string(error) + "\nCould NOT Delete\n" + file.name,
                       "Error Deleting File", BoxStyle::Warning);
        }
    }
}
