#pragma once

#include "suppliers/brands/markup_scales.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QSpinBox;

namespace velmora::brands {

// The two markup tables side by side, "цена СПЕЦ" (GroupBox_Nacen1) and
// "цена ИМ" (GroupBox_Nacen2), each six rows of "Цена <" and "Наценка":
// the 24 spin edits SpinEdit_p1_1 ... SpinEdit_n2_6 of the supplier
// settings window and of the combined export window.
class MarkupScalesBox : public QWidget {
    Q_OBJECT
public:
    explicit MarkupScalesBox(QWidget* parent = nullptr);

    void setScales(const MarkupScales& scales);
    MarkupScales scales() const;
    // Hides or shows both tables.
    void setTablesVisible(bool visible);

private:
    std::array<QGroupBox*, MarkupScales::kScales> tables_{};
    std::array<std::array<QSpinBox*, MarkupScales::kRows>, MarkupScales::kScales> limits_{};
    std::array<std::array<QSpinBox*, MarkupScales::kRows>, MarkupScales::kScales> markups_{};
};

} // namespace velmora::brands
