#pragma once

#include "platform/ui/CHotlistDialogModel.h"

// The "Edit Hotlist" dialog over its logic: the list of titles, the buttons
// greyed by the logic's rules, the selected entry's URL, and the item dialog
// for "New Item..." and "Edit Item...". Modal; runs the toolkit until closed.
[[nodiscard]] HotlistDialogResult RunEditHotlistDialog(CHotlistDialogModel& model);
