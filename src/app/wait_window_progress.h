#pragma once

#include "orders/order_exports.h"

#include <QString>

namespace velmora {

class Form_main;

// The wait window (Form_Progress) driven by an order workbook's progress:
// shown with `text` (its default text when empty) at the first step count,
// stepped, closed at the end. The window is made after the frame, so it is
// looked up when the work runs.
orders::ExportProgress waitWindowProgress(Form_main& form, const QString& text = {});

} // namespace velmora
