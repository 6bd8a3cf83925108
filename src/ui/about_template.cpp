#include "ui/about_template.h"

std::string TextWithoutAccessKeys(std::string_view label) {
    std::string shown;
    shown.reserve(label.size());
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&') {
            if (i + 1 < label.size() && label[i + 1] == '&') {
                shown.push_back('&');
                ++i;
            }
            continue;
        }
        shown.push_back(label[i]);
    }
    return shown;
}
