#include "competition_view.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include <string>

#include "row_numbers.h"
#include "tracker_seams.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

enum Column : long { kRank, kTitle, kSeller, kPrice, kSales, kChange };

}  // namespace

CompetitionList::CompetitionList(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxBORDER_SUNKEN) {
    auto width = [this](const char* widest) {
        return GetTextExtent(U(widest)).GetWidth() + FromDIP(20);
    };
    // The title and the seller are cut short rather than the change, so
    // that the competition fits beside the chart.
    InsertColumn(kRank, U("排名"), wxLIST_FORMAT_RIGHT, width("999"));
    InsertColumn(kTitle, U("宝贝"), wxLIST_FORMAT_LEFT, width("简约 短款 牛仔"));
    InsertColumn(kSeller, U("掌柜"), wxLIST_FORMAT_LEFT, width("LucyFash"));
    InsertColumn(kPrice, U("价格"), wxLIST_FORMAT_RIGHT, width("￥999.99"));
    InsertColumn(kSales, U("销量"), wxLIST_FORMAT_RIGHT, width("9999"));
    InsertColumn(kChange, U("变化"), wxLIST_FORMAT_LEFT, width("↓7 降价15% +12笔"));
}

void CompetitionList::SetRows(std::vector<sorvik::CompetitorRow> rows) {
    m_rows = std::move(rows);
    SetItemCount(static_cast<long>(m_rows.size()));
    Refresh();
}

wxString CompetitionList::OnGetItemText(long item, long column) const {
    if (item < 0 || static_cast<std::size_t>(item) >= m_rows.size()) return wxString();
    const sorvik::CompetitorRow& competitor = Row(item);
    const sorvik::SeenRow& row = competitor.row;
    switch (column) {
        case kRank:
            return wxString::Format("%d", static_cast<int>(row.rank));
        case kTitle:
            return U(row.title);
        case kSeller:
            return U(row.seller);
        case kPrice:
            return row.priceFen ? U(sorvik::PriceShown(*row.priceFen)) : wxString();
        case kSales:
            return row.sales ? U(std::to_string(*row.sales)) : wxString();
        case kChange:
            return U(sorvik::ChangeText(competitor));
        default:
            return wxString();
    }
}

CompetitionView::CompetitionView(wxWindow* parent,
                                 std::function<void(const wxString& link)> openLink)
    : wxPanel(parent), m_openLink(std::move(openLink)) {
    m_heading = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                 wxST_ELLIPSIZE_END);
    m_list = new CompetitionList(this);
    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CompetitionView::OnItemActivated, this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_heading, wxSizerFlags().Expand().Border(wxBOTTOM, FromDIP(3)));
    sizer->Add(m_list, wxSizerFlags(1).Expand());
    SetSizer(sizer);
}

void CompetitionView::ShowRows(std::vector<sorvik::CompetitorRow> rows, const wxString& heading) {
    m_heading->SetLabelText(heading);
    m_list->SetRows(std::move(rows));
}

void CompetitionView::ShowNote(const wxString& note) {
    ShowRows({}, note);
}

wxString CompetitionView::Heading() const {
    return m_heading->GetLabelText();
}

void CompetitionView::OnItemActivated(wxListEvent& event) {
    const long item = event.GetIndex();
    if (item < 0 || item >= m_list->GetItemCount()) return;
    // A link that a page put in a row goes to the browser only when it is
    // a web address.
    const wxString link = U(m_list->Row(item).row.link);
    if (IsOpenableLink(link) && m_openLink) m_openLink(link);
}

}  // namespace sorvik_tracker
