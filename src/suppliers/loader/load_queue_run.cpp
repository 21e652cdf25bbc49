#include "suppliers/loader/load_queue_run.h"

#include "suppliers/exports/price_list_export.h"

#include "storage/value_helpers.h"

namespace velmora::loader {
namespace {

QString count(int n) { return QString::number(n); }

// "из 5 прайс-листов", "из 1 прайс-листа".
QString ofPriceLists(int n)
{
    return QStringLiteral(" из ") +
           RussianCount(n, QStringLiteral("прайс-листа"), QStringLiteral("прайс-листов"), QStringLiteral("прайс-листов"));
}

QString processedFiles(int n)
{
    return QStringLiteral("    Обработано: ") +
           RussianCount(n, QStringLiteral("файл"), QStringLiteral("файла"), QStringLiteral("файлов"));
}

// Where the exports of the run went ("" when none was written).
QString foldersText(const QStringList& folders)
{
    if (folders.isEmpty())
        return {};
    QStringList shown;
    for (QString folder : folders) {
        while (folder.size() > 1 && folder.endsWith(u'/'))
            folder.chop(1);
        shown << folder;
    }
    return (shown.size() == 1 ? QStringLiteral("    Папка: ") : QStringLiteral("    Папки: ")) +
           shown.join(QStringLiteral("; "));
}

// The final status of a run in which some lists failed: it names them, so
// their error texts, shown while the run went on, are not lost behind a
// report of success.
QString failedListsText(const QueueRunOutcome& outcome, int total)
{
    return QStringLiteral("Загружено ") + count(outcome.loaded) + QStringLiteral(" из ") + count(total) +
           QStringLiteral(", с ошибками: ") + outcome.failedNames.join(QStringLiteral(", ")) +
           foldersText(outcome.exportFolders);
}

// One export pass over the lists; returns false when a stop ended it.
bool exportAll(const QStringList& names, QueueRunHost& host, const QueuePauses& pauses, bool csv,
               QueueRunOutcome& outcome)
{
    const int m = int(names.size());
    for (int k = 0; k < m; ++k) {
        if (host.stopRequested()) {
            outcome.statusText = (csv ? QStringLiteral("Экспорт в ОСТАНОВЛЕН!      выгружено ")
                                      : QStringLiteral("Экспорт в Excel ОСТАНОВЛЕН!      выгружено ")) +
                                 count(k) + ofPriceLists(m);
            outcome.stopped = true;
            host.report(outcome.statusText, kStartLoadCaption);
            return false;
        }
        outcome.statusText = QStringLiteral("Экспорт прайс-листов в Excel:  ") + count(k + 1) + QStringLiteral(" из ") +
                             count(m) + QStringLiteral("   ");
        host.report(outcome.statusText, kStopLoadCaption);
        const QString folder = csv ? host.exportCsv(names[k]) : host.exportWorkbook(names[k]);
        if (!folder.isEmpty() && !outcome.exportFolders.contains(folder))
            outcome.exportFolders << folder;
        host.pause(pauses.afterExport);
    }
    return true;
}

} // namespace

QueueRunOutcome RunLoadQueue(const QStringList& names, QueueRunHost& host, const QueueSwitches& switches,
                             const QueuePauses& pauses)
{
    QueueRunOutcome outcome;
    QStringList loadedNames; // only these are exported: a failed list keeps its old export
    const int m = int(names.size());
    for (int i = 0; i < m; ++i) {
        if (host.stopRequested()) {
            outcome.statusText = QStringLiteral("Загрузка файлов ОСТАНОВЛЕНА!      загружено ") + count(i) +
                                 ofPriceLists(m);
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
            loadedNames << names[i];
        } else {
            ++outcome.failed;
            outcome.failedNames << names[i];
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
            const bool finished = exportAll(loadedNames, host, pauses, true, outcome);
            host.armRepricing();
            if (finished) {
                outcome.statusText = outcome.failed > 0
                                         ? failedListsText(outcome, m)
                                         : QStringLiteral("Загрузка и экспорт в CSV успешно завершена!") +
                                               processedFiles(m) + foldersText(outcome.exportFolders);
                host.report(outcome.statusText, kStartLoadCaption);
            }
            return outcome;
        }
        if (switches.autoExport && !exportAll(loadedNames, host, pauses, false, outcome))
            return outcome;
    } catch (const exports::ExportError& error) {
        outcome.statusText = error.message();
        host.report(outcome.statusText, kStartLoadCaption);
        return outcome;
    }
    outcome.statusText = outcome.failed > 0 ? failedListsText(outcome, m)
                                            : QStringLiteral("Загрузка и экспорт в Excel успешно завершен!") +
                                                  processedFiles(m) + foldersText(outcome.exportFolders);
    host.report(outcome.statusText, kStartLoadCaption);
    return outcome;
}

} // namespace velmora::loader
