#include "line_dialog.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "batch_file.h"
#include "search_mode.h"
#include "toolkit_language.h"
#include "tracker_table.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;
using sorvik_ui::Utf8;

}  // namespace

LineDialog::LineDialog(wxWindow* parent, const std::vector<sorvik::BatchLine>& list,
                       std::optional<std::size_t> editing, ShowProblem showProblem)
    : wxDialog(parent, wxID_ANY, editing ? U("编辑关键词") : U("添加关键词")),
      m_list(list),
      m_editing(editing),
      m_showProblem(std::move(showProblem)) {
    const wxString modes[] = {U("关键词"), U("关键词+用户名"), U("关键词+宝贝链接")};
    m_modeChoice = new wxRadioBox(this, wxID_ANY, U("查询方式"), wxDefaultPosition, wxDefaultSize,
                                  3, modes, 1, wxRA_SPECIFY_ROWS);
    m_keyword =
        new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, FromDIP(wxSize(360, -1)));
    m_targetLabel = new wxStaticText(this, wxID_ANY, U("宝贝链接："));
    m_target =
        new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, FromDIP(wxSize(360, -1)));
    wxArrayString groups;
    for (const std::string& group : sorvik::GroupsInUse(list)) groups.Add(U(group));
    m_group = new wxComboBox(this, wxID_ANY, wxString(), wxDefaultPosition,
                             FromDIP(wxSize(360, -1)), groups, wxCB_DROPDOWN);

    auto* fields = new wxFlexGridSizer(2, FromDIP(wxSize(8, 8)));
    fields->AddGrowableCol(1);
    fields->Add(new wxStaticText(this, wxID_ANY, U("关键词：")), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_keyword, 1, wxEXPAND);
    fields->Add(m_targetLabel, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_target, 1, wxEXPAND);
    fields->Add(new wxStaticText(this, wxID_ANY, U("分组：")), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_group, 1, wxEXPAND);

    auto* top = new wxBoxSizer(wxVERTICAL);
    const int margin = FromDIP(10);
    top->Add(m_modeChoice, wxSizerFlags().Expand().Border(wxALL, margin));
    top->Add(fields, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT, margin));
    top->Add(new wxStaticText(this, wxID_ANY,
                              U("宝贝链接可直接从浏览器复制（https:// 也可以），按宝贝 id 匹配。")),
             wxSizerFlags().Border(wxALL, margin));
    top->Add(new wxStaticLine(this), wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT, margin));
    top->Add(sorvik_ui::OkCancelButtons(this), wxSizerFlags().Expand().Border(wxALL, margin));
    SetSizerAndFit(top);

    if (editing) {
        const sorvik::BatchLine& line = list[*editing];
        m_modeChoice->SetSelection(line.Mode() - 1);
        m_keyword->ChangeValue(wxString::FromUTF8(line.keyword));
        m_target->ChangeValue(wxString::FromUTF8(line.target));
        m_group->ChangeValue(wxString::FromUTF8(line.group));
    } else {
        m_modeChoice->SetSelection(sorvik::kModeSeller - 1);
    }
    ApplyMode();
    m_modeChoice->Bind(wxEVT_RADIOBOX, &LineDialog::OnModeChanged, this);
    Bind(wxEVT_BUTTON, &LineDialog::OnOk, this, wxID_OK);
    m_keyword->SetFocus();
    CentreOnParent();
}

int LineDialog::Mode() const {
    return m_modeChoice->GetSelection() + 1;
}

void LineDialog::ApplyMode() {
    const int mode = Mode();
    m_target->Enable(mode != sorvik::kModeKeyword);
    m_targetLabel->SetLabel(mode == sorvik::kModeItemLink ? U("宝贝链接：") : U("用户名："));
    Layout();
}

void LineDialog::OnModeChanged(wxCommandEvent&) {
    ApplyMode();
}

sorvik::BatchLine LineDialog::Line() const {
    sorvik::BatchLine line;
    line.keyword = sorvik::TrimBlanks(Utf8(m_keyword->GetValue()), true);
    if (Mode() != sorvik::kModeKeyword)
        line.target = sorvik::TrimBlanks(Utf8(m_target->GetValue()), true);
    line.group = sorvik::TrimBlanks(Utf8(m_group->GetValue()), true);
    return line;
}

void LineDialog::SuggestGroup(const std::string& group) {
    m_group->ChangeValue(wxString::FromUTF8(group));
}

void LineDialog::OnOk(wxCommandEvent& event) {
    const sorvik::BatchLine line = Line();
    std::optional<std::string> problem = sorvik::LineProblem(
        static_cast<sorvik::SearchMode>(Mode()), line.keyword, line.target, m_list, m_editing);
    if (!problem) problem = sorvik::GroupProblem(line.group);
    if (problem) {
        m_showProblem(wxString::FromUTF8(*problem), this);
        return;
    }
    event.Skip();  // the dialog's own OK handling ends it
}

}  // namespace sorvik_tracker
