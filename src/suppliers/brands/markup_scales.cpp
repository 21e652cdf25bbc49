#include "suppliers/brands/markup_scales.h"

#include "storage/settings_store.h"

namespace velmora::brands {

MarkupScales MarkupScales::defaults()
{
    MarkupScales scales;
    constexpr std::array<int, kRows> limits{1000, 5000, 10000, 20000, 50000, 1000000};
    scales.limits = {limits, limits};
    scales.markups = {{{40, 35, 30, 25, 20, 15}, {50, 42, 35, 25, 20, 15}}};
    return scales;
}

QString MarkupSettingName(int scale, bool limit, int row)
{
    return QStringLiteral("SpinEdit_%1%2_%3").arg(QChar(limit ? u'p' : u'n')).arg(scale).arg(row);
}

MarkupScales ReadMarkupScales(db::Connection& orderDb, const QString& prefix)
{
    SettingsStore settings(orderDb);
    const MarkupScales defaults = MarkupScales::defaults();
    MarkupScales scales;
    for (int s = 0; s < MarkupScales::kScales; ++s)
        for (int r = 0; r < MarkupScales::kRows; ++r) {
            scales.limits[s][r] = int(settings.readInteger(prefix + MarkupSettingName(s + 1, true, r + 1),
                                                           QString::number(defaults.limits[s][r])));
            scales.markups[s][r] = int(settings.readInteger(prefix + MarkupSettingName(s + 1, false, r + 1),
                                                            QString::number(defaults.markups[s][r])));
        }
    return scales;
}

void WriteMarkupScales(db::Connection& orderDb, const QString& prefix, const MarkupScales& scales)
{
    db::Transaction transaction(orderDb);
    SettingsStore settings(orderDb);
    for (int s = 0; s < MarkupScales::kScales; ++s)
        for (int r = 0; r < MarkupScales::kRows; ++r) {
            settings.write(prefix + MarkupSettingName(s + 1, true, r + 1), QStringLiteral("TypeInteger"),
                           QString::number(scales.limits[s][r]));
            settings.write(prefix + MarkupSettingName(s + 1, false, r + 1), QStringLiteral("TypeInteger"),
                           QString::number(scales.markups[s][r]));
        }
    transaction.commit();
}

} // namespace velmora::brands
