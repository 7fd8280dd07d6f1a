// Windows builds take the dialogs, the About entry's string and the version
// block from app/res/sorvik.rc; this build takes them from the program's own
// tables. Both must say the same.
#include "resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "version_info.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits at commas outside quotes; quoted fields lose their quotes.
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    for (std::string& field : fields) field = Trim(field);
    return fields;
}

struct RcControl {
    std::string text;
    int x, y, width, height;
};

struct RcDialog {
    int width = 0, height = 0;
    std::string caption;
    int pointSize = 0;
    std::string faceName;
    std::vector<RcControl> controls;
};

RcDialog ParseDialog(const std::string& rc, const std::string& name) {
    RcDialog dialog;
    std::istringstream in(rc);
    std::string line;
    bool inDialog = false, inBody = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!inDialog) {
            if (line.rfind(name + " DIALOGEX", 0) == 0) {
                const std::vector<std::string> size = Fields(line.substr(name.size() + 10));
                dialog.width = std::stoi(size[2]);
                dialog.height = std::stoi(size[3]);
                inDialog = true;
            }
            continue;
        }
        if (line.rfind("CAPTION", 0) == 0) dialog.caption = Fields(line.substr(7))[0];
        if (line.rfind("FONT", 0) == 0) {
            const std::vector<std::string> font = Fields(line.substr(4));
            dialog.pointSize = std::stoi(font[0]);
            dialog.faceName = font[1];
        }
        if (line == "BEGIN") {
            inBody = true;
            continue;
        }
        if (line == "END") break;
        if (!inBody || line.empty()) continue;
        const std::size_t space = line.find(' ');
        const std::string kind = line.substr(0, space);
        const std::vector<std::string> f = Fields(line.substr(space + 1));
        std::size_t at = 2;  // KIND "text", id, x, y, w, h
        std::string text = f[0];
        if (kind == "CONTROL") at = 4;
        if (kind == "EDITTEXT") at = 1, text.clear();
        if (kind == "ICON") text.clear();
        dialog.controls.push_back({text, std::stoi(f[at]), std::stoi(f[at + 1]),
                                   std::stoi(f[at + 2]), std::stoi(f[at + 3])});
    }
    return dialog;
}

void ExpectSameDialog(const RcDialog& rc, const sorvik_app::DialogTemplate& table) {
    EXPECT_EQ(rc.caption, table.caption);
    EXPECT_EQ(rc.width, table.width);
    EXPECT_EQ(rc.height, table.height);
    EXPECT_EQ(rc.pointSize, table.pointSize);
    EXPECT_EQ(rc.faceName, table.faceName);
    ASSERT_EQ(rc.controls.size(), table.controlCount);
    for (std::size_t i = 0; i < table.controlCount; ++i) {
        const sorvik_app::ControlTemplate& c = table.controls[i];
        EXPECT_EQ(rc.controls[i].text, c.text ? c.text : "") << "control " << i;
        EXPECT_EQ(rc.controls[i].x, c.x) << "control " << i;
        EXPECT_EQ(rc.controls[i].y, c.y) << "control " << i;
        EXPECT_EQ(rc.controls[i].width, c.width) << "control " << i;
        EXPECT_EQ(rc.controls[i].height, c.height) << "control " << i;
    }
}

class ResourceFiles : public testing::Test {
  protected:
    const std::string m_rc = ReadFile(std::string(SORVIK_APP_RES) + "/sorvik.rc");
};

}  // namespace

TEST_F(ResourceFiles, DialogTemplatesMatchTheProgramsLayouts) {
    ASSERT_FALSE(m_rc.empty());
    ExpectSameDialog(ParseDialog(m_rc, "IDD_SORVIK_DIALOG"), sorvik_app::MainDialogTemplate());
    ExpectSameDialog(ParseDialog(m_rc, "IDD_ABOUTBOX"), sorvik_app::AboutBoxTemplate());
}

TEST_F(ResourceFiles, StringAndVersionBlockMatchTheProgramsData) {
    EXPECT_NE(m_rc.find(std::string("IDS_ABOUTBOX    \"") + IDS_ABOUTBOX_TEXT + "\""),
              std::string::npos);
    EXPECT_NE(m_rc.find("FILEVERSION 2,0,0,1"), std::string::npos);
    EXPECT_NE(m_rc.find("PRODUCTVERSION 2,0,0,1"), std::string::npos);
    EXPECT_STREQ(sorvik_app::kFixedFileVersion, "2.0.0.1");
    EXPECT_STREQ(sorvik_app::kFixedProductVersion, "2.0.0.1");
    for (int i = 0; i < sorvik_app::kVersionStringCount; ++i) {
        const std::string value = std::string("VALUE \"") + sorvik_app::kVersionStrings[i].key +
                                  "\", \"" + sorvik_app::kVersionStrings[i].value + "\"";
        EXPECT_NE(m_rc.find(value), std::string::npos) << value;
    }
    EXPECT_EQ(sorvik_app::VersionString("ProductName"), "Sorvik");
    EXPECT_EQ(sorvik_app::VersionString("FileVersion"), "1.0.0.1");

    const std::string manifest = ReadFile(std::string(SORVIK_APP_RES) + "/sorvik.exe.manifest");
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}
