#include "markup_threshold_report.h"

#include "output/output_error.h"

#include "catalogue/group_settings/markup_thresholds.h"
#include "catalogue/group_tree_walk.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/worksheet.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace velmora::output {
namespace {

QString thresholdText(const catalogue::ThresholdPair& pair)
{
    return QString::number(pair.price) + QStringLiteral("$ - ") + QString::number(pair.markup) + u'%';
}

QStringList switchLines(const ThresholdReportSwitches& s)
{
    return {
        s.nacenDop ? QStringLiteral("При расчете минимальной цены УЧИТЫВАТЬ пороги дополнительной наценки")
                   : QStringLiteral("Пороги дополнительной наценки НЕ УЧИТЫВАЮТСЯ"),
        s.katMinPrice
            ? QStringLiteral("УЧИТЫВАЮТСЯ индивидуальные настройки каждой группы при расчете минимальной цены ")
            : QStringLiteral("При расчете минимальной цены НЕ УЧИТЫВАЮТСЯ индивидуальные настройки каждой группы"),
        s.katPost ? QStringLiteral("Для разных групп УЧИТЫВАТЬ настройки по разным поставщикам")
                  : QStringLiteral("Для разных групп настройки по разным поставщикам НЕ УЧИТЫВАЮТСЯ"),
        s.katNacen ? QStringLiteral("Для разных групп свои пороги дополнительной наценки")
                   : QStringLiteral("Пороги дополнительной наценки общие для всех групп товаров"),
    };
}

QHash<qint64, QString> groupNames(db::Connection& priceDb)
{
    QHash<qint64, QString> names;
    db::Statement s = priceDb.prepare(QStringLiteral("SELECT Code, Comment FROM Tovar_tree"));
    while (s.step())
        names.insert(s.integer(0), s.text(1));
    return names;
}

} // namespace

sheet::Workbook MarkupThresholdReport(db::Connection& priceDb, const ThresholdReportSwitches& switches,
                                      Progress* progress)
{
    const catalogue::GroupTreeSnapshot tree = catalogue::loadGroupTree(priceDb);
    startProgress(progress, kThresholdReportWaitText, 2 * tree.size() + 2);
    const QHash<qint64, QString> names = groupNames(priceDb);
    const QHash<qint64, catalogue::MarkupThresholds> thresholds = catalogue::readAllThresholdRows(priceDb);
    const catalogue::MarkupThresholds general = thresholds.value(catalogue::kGeneralThresholdsGroup);
    stepProgress(progress);

    // The walk once for the deepest level; an empty tree still gets the
    // names' column.
    const std::vector<catalogue::GroupLevel> walk = catalogue::wholeGroupTree(tree);
    const int depth = std::max(1, catalogue::groupTreeDepth(walk));
    stepProgress(progress, int(walk.size()));

    sheet::Workbook book;
    sheet::Worksheet& ws = book.sheet(1);
    ws.setName(kThresholdReportSheet);
    ws.setOutlineSummaryAbove(true);
    for (int column = 1; column < depth; ++column)
        ws.setColumnWidth(column, 2);
    ws.setColumnWidth(depth, 35);
    ws.setText(1, 1, QStringLiteral("Группы товаров"));
    if (depth > 1)
        ws.merge({{1, 1}, {1, depth}});
    for (int k = 1; k <= catalogue::kThresholdCount; ++k)
        ws.setColumnWidth(depth + k, 12);
    ws.setText(1, depth + 1, QStringLiteral("Пороги наценок (Цена$ - Наценка%)"));
    ws.merge({{1, depth + 1}, {1, depth + catalogue::kThresholdCount}});

    int row = 2;
    for (const catalogue::GroupLevel& group : walk) {
        ws.setText(row, group.level, names.value(group.code));
        const catalogue::MarkupThresholds& own = thresholds.contains(group.code) ? thresholds[group.code] : general;
        for (int k = 0; k < catalogue::kThresholdCount; ++k)
            ws.setText(row, depth + 1 + k, thresholdText(own[size_t(k)]));
        ++row;
        stepProgress(progress);
    }

    ++row; // one empty row before the switches
    for (const QString& line : switchLines(switches))
        ws.setText(row++, 1, line);
    stepProgress(progress);
    return book;
}

QString WriteMarkupThresholdReport(db::Connection& priceDb, const ThresholdReportSwitches& switches,
                                   const QString& programFolder, Progress* progress)
{
    struct CloseWait {
        Progress* progress;
        ~CloseWait() { finishProgress(progress); }
    } closeWait{progress};
    const sheet::Workbook book = MarkupThresholdReport(priceDb, switches, progress);
    if (!QFileInfo(programFolder).isDir() && !QDir().mkpath(programFolder))
        throw OutputError(QStringLiteral("Невозможно создать директорию ") + programFolder);
    const QString path = QDir(programFolder).filePath(kThresholdReportFile);
    try {
        book.saveAs(path);
    } catch (const sheet::SheetError&) {
        throw OutputError(kFileNotSaved);
    }
    return path;
}

} // namespace velmora::output
