#include "pricing_switches.h"

#include "storage/settings_store.h"

namespace velmora::catalogue {

const QString kGroupSwitchesHint = QStringLiteral(
    "Изменить настройки можно через меню: \"Настройки\" / \"Параметры программы\"    (двойной клик мышкой)");

GroupSwitchTexts readGroupSwitchTexts(SettingsStore& orderSettings)
{
    const bool perGroup = orderSettings.readBoolean(kKatMinPriceSetting);
    const bool thresholds = perGroup && orderSettings.readBoolean(kNacenDopSetting) &&
                            orderSettings.readBoolean(kKatNacenSetting);
    const bool suppliers = perGroup && orderSettings.readBoolean(kKatPostSetting);
    auto yesNo = [](bool on) { return on ? QStringLiteral("ДА") : QStringLiteral("НЕТ"); };
    return GroupSwitchTexts{yesNo(thresholds), yesNo(suppliers)};
}

} // namespace velmora::catalogue
