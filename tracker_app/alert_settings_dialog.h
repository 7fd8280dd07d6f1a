// 提醒设置: the top places 跌出前N名 watches, the group robot the alerts are
// posted to and its signing secret, with a test post.
#pragma once

#include <wx/dialog.h>

#include "tracker_files.h"
#include "tracker_seams.h"

class wxSpinCtrl;
class wxTextCtrl;

namespace sorvik_tracker {

class AlertSettingsDialog : public wxDialog {
  public:
    // Shows the alert settings of `settings`; says its refusals through
    // `seams`.
    AlertSettingsDialog(wxWindow* parent, const sorvik::TrackerSettings& settings,
                        TrackerSeams seams);

    // `settings` with the dialog's alert settings.
    sorvik::TrackerSettings Applied(sorvik::TrackerSettings settings) const;
    // Checks the robot address; says what is wrong with it and returns
    // false when it can't be used (an empty one is none).
    bool Check();
    // 确定: closes the dialog with wxID_OK when the settings can be used.
    void Accept();
    // 测试: posts a test message to the robot and says how it went.
    void PostTest();

    // For tests: the fields.
    wxSpinCtrl* TopN() { return m_topN; }
    wxTextCtrl* Webhook() { return m_webhook; }
    wxTextCtrl* Secret() { return m_secret; }

  private:
    TrackerSeams m_seams;
    wxSpinCtrl* m_topN = nullptr;
    wxTextCtrl* m_webhook = nullptr;
    wxTextCtrl* m_secret = nullptr;
};

}  // namespace sorvik_tracker
