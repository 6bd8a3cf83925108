#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// A table of figures: a column per N, then the goal at the largest N.
class Table {
  public:
    Table(std::vector<int> sizes, int labelWidth)
        : sizes_(std::move(sizes)), labelWidth_(labelWidth) {}

    // The line that names the columns.
    void Columns() const {
        std::printf("%-*s", labelWidth_, "");
        for (const int n : sizes_) {
            std::printf("%14s", ("N = " + Thousands(n)).c_str());
        }
        std::printf("    goal at N = %s\n", Thousands(sizes_.back()).c_str());
    }

    // `goal` is empty for a figure without one; `atMost` the bound.
    void Row(const std::string& label, const std::vector<double>& values, const char* unit,
             const std::string& goal = "", double atMost = 0) const {
        std::printf("%-*s", labelWidth_, label.c_str());
        for (const double v : values) {
            std::printf("%14s", Figure(v, unit).c_str());
        }
        for (std::size_t i = values.size(); i < sizes_.size(); ++i) {
            std::printf("%14s", "");
        }
        if (!goal.empty()) {
            const double last = values.back();
            std::printf("    %-12s %s", goal.c_str(),
                        last < 0         ? "not measured"
                        : last <= atMost ? "met"
                                         : "MISSED");
        }
        std::printf("\n");
    }

    static std::string Thousands(int n) {
        const std::string digits = std::to_string(n);
        std::string grouped;
        for (std::size_t i = 0; i < digits.size(); ++i) {
            if (i > 0 && (digits.size() - i) % 3 == 0) {
                grouped += ',';
            }
            grouped += digits[i];
        }
        return grouped;
    }

    // "-" for a figure that was not measured.
    static std::string Figure(double v, const char* unit) {
        if (v < 0) {
            return "-";
        }
        char text[32];
        std::snprintf(text, sizeof text,
                      v < 10    ? "%.2f %s"
                      : v < 100 ? "%.1f %s"
                                : "%.0f %s",
                      v, unit);
        return text;
    }

  private:
    std::vector<int> sizes_;
    int labelWidth_;
};
