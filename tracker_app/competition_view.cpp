#include "competition_view.h"

#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <string>

#include "row_numbers.h"
#include "tracker_seams.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

}  // namespace

CompetitionList::CompetitionList(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxBORDER_SUNKEN) {
    InsertColumn(kRank, U("排名"), wxLIST_FORMAT_RIGHT);
    InsertColumn(kTitle, U("宝贝"), wxLIST_FORMAT_LEFT);
    InsertColumn(kSeller, U("掌柜"), wxLIST_FORMAT_LEFT);
    InsertColumn(kPrice, U("价格"), wxLIST_FORMAT_RIGHT);
    InsertColumn(kSales, U("销量"), wxLIST_FORMAT_RIGHT);
    InsertColumn(kChange, U("变化"), wxLIST_FORMAT_LEFT);
    MeasureColumns();
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter(&CompetitionList::FitColumns);
    });
}

void CompetitionList::SetRows(std::vector<sorvik::CompetitorRow> rows) {
    m_rows = std::move(rows);
    SetItemCount(static_cast<long>(m_rows.size()));
    MeasureColumns();
    FitColumns();
    Refresh();
}

void CompetitionList::MeasureColumns() {
    const int padding = FromDIP(16);
    for (long column = 0; column < kColumnCount; ++column) {
        wxListItem header;
        header.SetMask(wxLIST_MASK_TEXT);
        GetColumn(static_cast<int>(column), header);
        int widest = GetTextExtent(header.GetText()).GetWidth();
        if (column != kTitle)
            for (long item = 0; item < GetItemCount(); ++item)
                widest = std::max(widest, GetTextExtent(OnGetItemText(item, column)).GetWidth());
        m_fitting[static_cast<std::size_t>(column)] = widest + padding;
    }
}

int CompetitionList::MinimumWidth() const {
    // Numbers as wide as most checks show, the title and the seller cut.
    int width = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this) + FromDIP(4);
    for (const char* sample : {"999", "简约 短款", "小美的", "￥999.99", "9999", "↓7 降价5%"})
        width += GetTextExtent(U(sample)).GetWidth() + FromDIP(16);
    return width;
}

void CompetitionList::FitColumns() {
    // Every number and change shows whole; the title and the seller, which
    // a hover on the item's link tells anyway, are what gets cut short.
    const int shortTitle = GetTextExtent(U("简约 短款")).GetWidth() + FromDIP(16);
    const int shortSeller = GetTextExtent(U("小美的")).GetWidth() + FromDIP(16);
    int fixed = 0;
    for (long column : {kRank, kPrice, kSales, kChange}) {
        SetColumnWidth(static_cast<int>(column), m_fitting[static_cast<std::size_t>(column)]);
        fixed += m_fitting[static_cast<std::size_t>(column)];
    }
    const int room = GetClientSize().GetWidth() - fixed -
                     wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this) - FromDIP(4);
    // The seller takes no more than two fifths of what is left: the title
    // tells the items apart.
    const int seller = std::min(m_fitting[kSeller], std::max(shortSeller, room * 2 / 5));
    const int title = std::max(shortTitle, room - seller);
    SetColumnWidth(kSeller, seller);
    SetColumnWidth(kTitle, title);
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
