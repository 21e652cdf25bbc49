#include "suppliers/brands/markup_scales_box.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace velmora::brands {

MarkupScalesBox::MarkupScalesBox(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const QString titles[] = {QStringLiteral("цена СПЕЦ"), QStringLiteral("цена ИМ")};
    for (int s = 0; s < MarkupScales::kScales; ++s) {
        auto* table = new QGroupBox(titles[s], this);
        table->setObjectName(QStringLiteral("GroupBox_Nacen%1").arg(s + 1));
        auto* grid = new QGridLayout(table);
        grid->addWidget(new QLabel(QStringLiteral("Цена <")), 0, 0);
        grid->addWidget(new QLabel(QStringLiteral("Наценка")), 0, 1);
        for (int r = 0; r < MarkupScales::kRows; ++r) {
            auto spin = [&](bool limit) {
                auto* edit = new QSpinBox(table);
                edit->setObjectName(MarkupSettingName(s + 1, limit, r + 1));
                edit->setRange(limit ? 0 : -100, limit ? 999999999 : 10000);
                grid->addWidget(edit, r + 1, limit ? 0 : 1);
                return edit;
            };
            limits_[s][r] = spin(true);
            markups_[s][r] = spin(false);
        }
        tables_[s] = table;
        row->addWidget(table);
    }
    row->addStretch();
    setScales(MarkupScales::defaults());
}

void MarkupScalesBox::setScales(const MarkupScales& scales)
{
    for (int s = 0; s < MarkupScales::kScales; ++s)
        for (int r = 0; r < MarkupScales::kRows; ++r) {
            limits_[s][r]->setValue(scales.limits[s][r]);
            markups_[s][r]->setValue(scales.markups[s][r]);
        }
}

MarkupScales MarkupScalesBox::scales() const
{
    MarkupScales scales;
    for (int s = 0; s < MarkupScales::kScales; ++s)
        for (int r = 0; r < MarkupScales::kRows; ++r) {
            scales.limits[s][r] = limits_[s][r]->value();
            scales.markups[s][r] = markups_[s][r]->value();
        }
    return scales;
}

void MarkupScalesBox::setTablesVisible(bool visible)
{
    for (QGroupBox* table : tables_)
        table->setVisible(visible);
}

} // namespace velmora::brands
