#pragma once

#include <QString>

namespace velmora {
class SettingsStore;
}

namespace velmora::catalogue {

// The switches of the minimum-price recalculation, kept by the settings
// dialog in the order database's store (TypeBoolean, default "0").
inline const QString kKatMinPriceSetting = QStringLiteral("CheckBox_KatMinPrice"); // per-group handling
inline const QString kNacenDopSetting = QStringLiteral("CheckBox_NacenDop");       // threshold markups
inline const QString kKatNacenSetting = QStringLiteral("CheckBox_KatNacen");       // group thresholds
inline const QString kKatPostSetting = QStringLiteral("CheckBox_KatPost");         // group suppliers

// What the group windows' status bar says about them: panel 2 whether the
// groups' own thresholds take part ("ДА" with the per-group handling, the
// threshold markups and the group thresholds all on), panel 4 whether the
// groups' own suppliers do (per-group handling and group suppliers on).
struct GroupSwitchTexts {
    QString thresholds; // "ДА" / "НЕТ"
    QString suppliers;
};
GroupSwitchTexts readGroupSwitchTexts(SettingsStore& orderSettings);

// The status bar's hint.
extern const QString kGroupSwitchesHint;

} // namespace velmora::catalogue
