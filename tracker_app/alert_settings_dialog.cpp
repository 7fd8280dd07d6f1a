#include "alert_settings_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <chrono>

#include "alert_records.h"
#include "ui_text.h"
#include "webhook_post.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;
using sorvik_ui::Utf8;

// The test post waits less than an alert's: the user waits for it.
constexpr std::chrono::milliseconds kTestTimeLimit{5000};

std::string Trimmed(const wxString& text) {
    wxString trimmed = text;
    trimmed.Trim(true).Trim(false);
    return Utf8(trimmed);
}

}  // namespace

AlertSettingsDialog::AlertSettingsDialog(wxWindow* parent, const sorvik::TrackerSettings& settings,
                                         TrackerSeams seams)
    : wxDialog(parent, wxID_ANY, U("提醒设置")), m_seams(std::move(seams)) {
    const int gap = FromDIP(6);
    m_topN = new wxSpinCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxSize(FromDIP(130), -1),
                            wxSP_ARROW_KEYS, 1, sorvik::kMaxAlertTopN, settings.alertTopN);
    m_webhook = new wxTextCtrl(this, wxID_ANY, U(settings.webhook), wxDefaultPosition,
                               wxSize(FromDIP(460), -1));
    m_secret = new wxTextCtrl(this, wxID_ANY, U(settings.webhookSecret), wxDefaultPosition,
                              wxSize(FromDIP(460), -1), wxTE_PASSWORD);

    auto* grid = new wxFlexGridSizer(2, gap, gap * 2);
    grid->AddGrowableCol(1);
    auto label = [&](const char* text) {
        grid->Add(new wxStaticText(this, wxID_ANY, U(text)), wxSizerFlags().CentreVertical());
    };
    label("前 N 名：");
    grid->Add(m_topN);
    label("群机器人地址：");
    grid->Add(m_webhook, wxSizerFlags().Expand());
    label("加签密钥：");
    grid->Add(m_secret, wxSizerFlags().Expand());

    auto* note = new wxStaticText(
        this, wxID_ANY,
        U("排名跌出前 N 名时提醒。群机器人：钉钉或企业微信的 https:// 地址，留空则不发送；"
          "加签密钥只有开启了加签的钉钉机器人需要。"));
    note->Wrap(FromDIP(560));

    auto* test = new wxButton(this, wxID_ANY, U("测试"));
    test->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PostTest(); });
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(test);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_OK, U("确定")), wxSizerFlags().Border(wxRIGHT, gap));
    buttons->Add(new wxButton(this, wxID_CANCEL, U("取消")));
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Accept(); }, wxID_OK);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, wxSizerFlags().Expand().Border(wxALL, gap * 2));
    top->Add(note, wxSizerFlags().Border(wxLEFT | wxRIGHT, gap * 2));
    top->Add(buttons, wxSizerFlags().Expand().Border(wxALL, gap * 2));
    SetSizerAndFit(top);
    CentreOnParent();
}

sorvik::TrackerSettings AlertSettingsDialog::Applied(sorvik::TrackerSettings settings) const {
    settings.alertTopN = m_topN->GetValue();
    settings.webhook = Trimmed(m_webhook->GetValue());
    settings.webhookSecret = Trimmed(m_secret->GetValue());
    return settings;
}

bool AlertSettingsDialog::Check() {
    const std::string webhook = Trimmed(m_webhook->GetValue());
    if (webhook.empty()) return true;
    const std::string problem = sorvik::RobotAddressProblem(webhook);
    if (problem.empty()) return true;
    m_seams.message(U(problem), this);
    m_webhook->SetFocus();
    return false;
}

void AlertSettingsDialog::Accept() {
    if (!Check()) return;
    if (IsModal()) {
        EndModal(wxID_OK);
    } else {
        SetReturnCode(wxID_OK);
        Hide();
    }
}

void AlertSettingsDialog::PostTest() {
    const std::string webhook = Trimmed(m_webhook->GetValue());
    if (webhook.empty()) {
        m_seams.message(U("请先填写群机器人地址。"), this);
        return;
    }
    if (!Check()) return;
    std::string error;
    const std::optional<sorvik::RobotAddress> robot = sorvik::RobotAddressOf(webhook, error);
    if (!robot) return;
    sorvik::WebhookResult result;
    {
        wxBusyCursor busy;
        result =
            sorvik::PostRobotMessage(*robot, Trimmed(m_secret->GetValue()),
                                     "Sorvik 测试消息：排名提醒会发到这个群。", kTestTimeLimit);
    }
    m_seams.message(result.sent ? U("测试消息已发送，请在群里查看。")
                                : U("测试消息没有发送成功：" + result.failure),
                    this);
}

}  // namespace sorvik_tracker
