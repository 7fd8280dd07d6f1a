// 设置 → 每天自动检查: the dialog that switches the daily check on or off.
#include "schedule_dialog.h"
#include "tracker_frame.h"

namespace sorvik_tracker {

void TrackerFrame::OnDailyCheck(wxCommandEvent&) {
    ScheduleDialog dialog(this, m_files, m_settings, DailyCheckProgram());
    dialog.ShowModal();
    // The window writes its settings whole later on (pages per check): it
    // keeps the daily check as the dialog last saved it.
    m_settings.dailyCheck = dialog.Settings().dailyCheck;
    m_settings.dailyTime = dialog.Settings().dailyTime;
}

}  // namespace sorvik_tracker
