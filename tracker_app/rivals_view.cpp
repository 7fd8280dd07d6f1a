#include "rivals_view.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <iterator>

#include "tracker_files.h"
#include "ui_text.h"
#include "window_export.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;
using sorvik_ui::Utf8;

const char* const kCaptions[] = {"掌柜",     "排在你前面(次)", "关键词数",
                                 "最好排名", "第1页占比",      "趋势"};
const int kPeriods[] = {7, 30};
constexpr std::time_t kDay = std::time_t{24} * 60 * 60;

std::vector<std::string> CellsOf(const sorvik::Rival& rival) {
    const long percent = std::lround(rival.page1Share * 100);
    return {rival.seller,
            std::to_string(rival.timesAbove),
            std::to_string(rival.lines),
            std::to_string(rival.bestRank),
            std::to_string(percent) + "%",
            sorvik::TrendText(rival.trend)};
}

}  // namespace

RivalsDialog::RivalsDialog(wxWindow* parent, std::shared_ptr<sorvik::RowStore> store,
                           TrackerSeams seams)
    : wxDialog(parent, wxID_ANY, U("对手"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_store(std::move(store)),
      m_seams(std::move(seams)) {
    const int gap = FromDIP(6);
    m_period = new wxChoice(this, wxID_ANY);
    m_period->Append(U("最近 7 天"));
    m_period->Append(U("最近 30 天"));
    m_period->SetSelection(0);
    m_period->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Reload(); });

    m_table = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(660, 320)),
                             wxLC_REPORT | wxLC_HRULES | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
    // Each caption whole; the seller's column wider, for the names.
    for (long i = 0; i < static_cast<long>(std::size(kCaptions)); ++i) {
        const int caption = m_table->GetTextExtent(U(kCaptions[i])).GetWidth() + FromDIP(24);
        m_table->InsertColumn(i, U(kCaptions[i]), i == 0 ? wxLIST_FORMAT_LEFT : wxLIST_FORMAT_RIGHT,
                              std::max(caption, FromDIP(i == 0 ? 160 : 80)));
    }
    m_note = new wxStaticText(this, wxID_ANY, wxString());

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(new wxStaticText(this, wxID_ANY, U("时间：")),
             wxSizerFlags().CentreVertical().Border(wxRIGHT, gap));
    top->Add(m_period, wxSizerFlags().CentreVertical());
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* exportButton = new wxButton(this, wxID_ANY, U("导出 CSV"));
    exportButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Export(); });
    buttons->Add(exportButton, wxSizerFlags().Border(wxRIGHT, gap));
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CANCEL, U("关闭")));
    SetEscapeId(wxID_CANCEL);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(top, wxSizerFlags().Border(wxALL, gap));
    sizer->Add(m_table, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT, gap));
    sizer->Add(m_note, wxSizerFlags().Expand().Border(wxALL, gap));
    sizer->Add(buttons, wxSizerFlags().Expand().Border(wxALL, gap));
    SetSizerAndFit(sizer);
    // Closing only hides: the window keeps one dialog and shows it again.
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, wxID_CANCEL);
    Reload();
}

int RivalsDialog::PeriodDays() const {
    const int chosen = m_period->GetSelection();
    return chosen >= 0 && chosen < static_cast<int>(std::size(kPeriods)) ? kPeriods[chosen]
                                                                         : kPeriods[0];
}

void RivalsDialog::Reload() {
    const int days = PeriodDays();
    const std::time_t now = std::time(nullptr);
    const std::time_t since = now - days * kDay;
    // A check made in this very second counts too.
    const std::vector<sorvik::Rival> rivals =
        sorvik::RivalsOf(m_store->SellerChecksSince(since), since, now + 1);
    m_cells.clear();
    m_table->DeleteAllItems();
    for (const sorvik::Rival& rival : rivals) {
        m_cells.push_back(CellsOf(rival));
        const long item = m_table->InsertItem(m_table->GetItemCount(), U(m_cells.back()[0]));
        for (std::size_t column = 1; column < m_cells.back().size(); ++column)
            m_table->SetItem(item, static_cast<int>(column), U(m_cells.back()[column]));
    }
    m_note->SetLabelText(rivals.empty()
                             ? U("最近 " + std::to_string(days) + " 天没有排在你前面的掌柜。")
                             : U("最近 " + std::to_string(days) + " 天，排在你的宝贝前面的掌柜，" +
                                 "次数多的在前（只算找到或未找到的检查）。"));
}

wxString RivalsDialog::Note() const {
    return m_note->GetLabelText();
}

void RivalsDialog::Export() {
    const wxString path =
        m_seams.chooseFile(U("导出对手"), U("CSV 文件 (*.csv)|*.csv"),
                           U(sorvik::DatedFileName("对手", std::time(nullptr))), true, this);
    if (path.empty()) return;
    const std::vector<std::string> captions(std::begin(kCaptions), std::end(kCaptions));
    std::string error;
    if (!sorvik::WriteFileWhole(Utf8(path), sorvik::CellsAsCsv(captions, m_cells), error))
        m_seams.message(U("无法导出对手：" + error), this);
}

}  // namespace sorvik_tracker
