// The Windows program takes its dialogs from the resource script, the Linux
// program builds them from the templates in code: the two must not drift.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "ui/about_template.h"
#include "ui/main_template.h"

namespace {

// By ControlKind.
const std::string kKeywords[] = {"LTEXT",   "LTEXT SS_NOPREFIX", "ICON",
                                 "CONTROL", "PUSHBUTTON",        "DEFPUSHBUTTON"};

std::string Row(std::string keyword, int id, DialogRect r, std::string_view text) {
    if (keyword.starts_with("LTEXT") && id != IDC_STATIC) {
        text = text.substr(0, text.find('\n'));  // filled in at run time: its first line
    }
    for (const int number : {id, r.x, r.y, r.width, r.height}) {
        keyword += ' ' + std::to_string(number);
    }
    return keyword + ' ' + std::string(text);
}

#define NAMED(id) \
    { #id, id }

TEST(ResourceScript, HoldsTheDialogsTheLinuxProgramBuilds) {
    std::map<std::string, int> ids = {
        NAMED(IDD_MAIN),    NAMED(IDD_ABOUTBOX),     NAMED(IDC_STATIC),      NAMED(IDC_CACHE_LIST),
        NAMED(IDC_EXTRACT), NAMED(IDC_ABOUT),        NAMED(IDC_COMPACT),     NAMED(IDC_DELETE),
        {"IDOK", 1},        NAMED(IDC_ABOUT_NOTICE), NAMED(IDC_ABOUT_SERVER)};
    std::ifstream file(VORPANE_RC_PATH);
    std::string script(std::istreambuf_iterator<char>(file), {});
    // Commas spaced alike; a statement goes on past a line that ends in one.
    script = std::regex_replace(script, std::regex(R"(\s*,\s*)"), ", ");
    // A dialog's header, its caption, or a control: keyword, text (an icon's
    // resource name is none), id, a list's class and style, then the place.
    const std::regex statement(R"rc((\w+) DIALOGEX \d+, \d+, (\d+), (\d+)|CAPTION "([^"]*)"|)rc"
                               R"rc(\b([A-Z]+) (?:"([^"]*)"|\w+), (\w+), (?:"\w+", [^,]+, )?)rc"
                               R"rc((\d+), (\d+), (\d+), (\d+)(, SS_NOPREFIX)?)rc");
    std::map<int, std::vector<std::string>> dialogs;
    int dialog = 0;
    for (std::sregex_iterator m(script.begin(), script.end(), statement), end; m != end; ++m) {
        const std::smatch& s = *m;
        if (s[1].matched) {
            dialog = ids[s[1]];
            dialogs[dialog].push_back(s[2].str() + 'x' + s[3].str());
        } else if (s[4].matched) {
            dialogs[dialog].push_back(s[4]);
        } else if (std::ranges::count(kKeywords, s[5].str())) {
            dialogs[dialog].push_back(
                Row(s[5].str() + (s[12].matched ? " SS_NOPREFIX" : ""), ids[s[7]],
                    {std::stoi(s[8]), std::stoi(s[9]), std::stoi(s[10]), std::stoi(s[11])},
                    std::regex_replace(s[6].str(), std::regex(R"(\\n)"), "\n")));
        }
    }
    for (const DialogTemplate& layout : {main_template::kDialog, about_template::kDialog}) {
        std::vector<std::string> expected = {
            std::to_string(layout.width) + 'x' + std::to_string(layout.height),
            std::string(layout.caption)};
        for (const ControlTemplate& c : layout.controls) {
            expected.push_back(Row(kKeywords[static_cast<int>(c.kind)], c.id, c.rect, c.text));
        }
        EXPECT_EQ(dialogs[layout.id], expected);
    }
}

TEST(AccessKeys, ASingleAmpersandMarksADoubledOneShows) {
    EXPECT_EQ(TextWithoutAccessKeys(".UNR && .*"), ".UNR & .*");
    EXPECT_EQ(TextWithoutAccessKeys("&&&About&&&&&"), "&About&&");
}

}  // namespace
