#pragma once

// Measurements of the Qt view for people tuning it, written to standard error when
// TESSALY_QT_TIMING is set: when the first window appeared after the process started, and at the
// end how long the GUI thread went at most without taking window events.

#include "platform/win_types.h"

namespace gui {

class EventLoopWaiter;

bool ViewTimingWanted();
// The window of this template has been painted; only the first one is reported.
void NoteWindowShown(platform::UINT template_id);
void ReportEventLoopTiming(const EventLoopWaiter& waiter);
// Time since the process started, from the kernel's records; negative when unknown.
double MillisecondsSinceProcessStart();

}  // namespace gui
