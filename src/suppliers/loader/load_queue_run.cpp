#include "suppliers/loader/load_queue_run.h"

#include "suppliers/exports/price_list_export.h"

namespace velmora::loader {
namespace {

QString count(int n) { return QString::number(n); }

// One export pass over the lists; returns false when a stop ended it.
bool exportAll(const QStringList& names, QueueRunHost& host, const QueuePauses& pauses, bool csv,
               QueueRunOutcome& outcome)
{
    const int m = int(names.size());
    for (int k = 0; k < m; ++k) {
        if (host.stopRequested()) {
            outcome.statusText = (csv ? QStringLiteral("Экспорт в ОСТАНОВЛЕН!      выгружено ")
                                      : QStringLiteral("Экспорт в Excel ОСТАНОВЛЕН!      выгружено ")) +
                                 count(k) + QStringLiteral(" из ") + count(m) + QStringLiteral(" прайс-листов");
            outcome.stopped = true;
            host.report(outcome.statusText, kStartLoadCaption);
            return false;
        }
        outcome.statusText = QStringLiteral("Экспорт прайс-листов в Excel:  ") + count(k + 1) + QStringLiteral(" из ") +
                             count(m) + QStringLiteral("   ");
        host.report(outcome.statusText, kStopLoadCaption);
        if (csv)
            host.exportCsv(names[k]);
        else
            host.exportWorkbook(names[k]);
        host.pause(pauses.afterExport);
    }
    return true;
}

} // namespace

QueueRunOutcome RunLoadQueue(const QStringList& names, QueueRunHost& host, const QueueSwitches& switches,
                             const QueuePauses& pauses)
{
    QueueRunOutcome outcome;
    const int m = int(names.size());
    for (int i = 0; i < m; ++i) {
        if (host.stopRequested()) {
            outcome.statusText = QStringLiteral("Загрузка файлов ОСТАНОВЛЕНА!      загружено ") + count(i) +
                                 QStringLiteral(" из ") + count(m) + QStringLiteral(" прайс-листов");
            outcome.stopped = true;
            host.report(outcome.statusText, kStartLoadCaption);
            return outcome;
        }
        outcome.statusText = QStringLiteral("Загрузка прайс-листов:  ") + count(i + 1) + QStringLiteral(" из ") +
                             count(m) + QStringLiteral("   ");
        host.report(outcome.statusText, kStopLoadCaption);
        const QString error = host.loadPriceList(names[i], outcome.statusText);
        if (error.isEmpty()) {
            ++outcome.loaded;
        } else {
            ++outcome.failed;
            outcome.statusText += QStringLiteral("  #####  ") + error + QStringLiteral("  #####  ");
            host.report(outcome.statusText, kStopLoadCaption);
            host.pause(pauses.afterError);
        }
    }

    outcome.statusText = QStringLiteral("Загрузка файлов ЗАВЕРШЕНА!");
    if (switches.singleList) {
        if (outcome.failed == 0)
            host.report(outcome.statusText, kStartLoadCaption);
        return outcome;
    }
    host.report(outcome.statusText, kStopLoadCaption);
    host.pause(pauses.afterQueue);

    if (switches.brevikMoto) {
        host.startCombinedExport(QStringLiteral("_Бревик-мото"));
        return outcome;
    }
    if (switches.ormita) {
        host.startCombinedExport(QStringLiteral("_Наш склад"));
        return outcome;
    }

    try {
        if (switches.exportCsv && switches.autoExport) {
            const bool finished = exportAll(names, host, pauses, true, outcome);
            host.armRepricing();
            if (finished) {
                outcome.statusText = QStringLiteral("Загрузка и экспорт в CSV успешно завершена!    Обработано: ") +
                                     count(m) + QStringLiteral(" файлов");
                host.report(outcome.statusText, kStartLoadCaption);
            }
            return outcome;
        }
        if (switches.autoExport && !exportAll(names, host, pauses, false, outcome))
            return outcome;
    } catch (const exports::ExportError& error) {
        outcome.statusText = error.message();
        host.report(outcome.statusText, kStartLoadCaption);
        return outcome;
    }
    outcome.statusText = QStringLiteral("Загрузка и экспорт в Excel успешно завершен!    Обработано: ") + count(m) +
                         QStringLiteral(" файлов");
    host.report(outcome.statusText, kStartLoadCaption);
    return outcome;
}

} // namespace velmora::loader
