#pragma once

#include "storage/maintenance_report.h"

#include <functional>

class QObject;

namespace velmora {

class Form_Progress;

// Runs a long database command on a worker thread while the wait window
// (modal, when there is one) shows its status texts and the main thread
// keeps painting. The command reports through the MaintenanceReport it is
// given: its status texts reach `onMainThread` in order, each message is
// shown on the main thread before the command goes on (as a message box
// holds up the work), and its pauses sleep on the worker. Returns the
// command's result; the command must touch no widget and no connection of
// the main thread.
//
// The timers below `window` (the search after typing, the re-pricing, the
// new-file check) work on the connection the command has closed: while it
// runs, their timeouts are held back (each fires at its next interval after
// the command ended).
bool runBehindWaitWindow(QObject* window, Form_Progress* wait, const MaintenanceReport& onMainThread,
                         const std::function<bool(const MaintenanceReport&)>& command);

} // namespace velmora
