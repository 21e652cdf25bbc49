#include "shop_script_catalog.h"

#include "output/output_error.h"
#include "platform/files/cp1251.h"
#include "storage/value_helpers.h"

namespace velmora::output {
namespace {

constexpr qsizetype kChunkSize = 1 << 16;

} // namespace

QString ShopScriptField(const QString& raw)
{
    const QString text = NulsAsBlanks(raw);
    bool quote = false;
    for (const QChar c : text)
        if (c == u';' || c == u'"' || c == u'\r' || c == u'\n') {
            quote = true;
            break;
        }
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString ShopScriptPriceText(double price, int roundingDegree)
{
    return RoundedDecimalText(price, roundingDegree, u',');
}

ShopScriptCatalog::ShopScriptCatalog(const QString& path, int roundingDegree)
    : path_(path), file_(path), roundingDegree_(roundingDegree)
{
    if (!file_.open(QIODevice::WriteOnly))
        throw OutputError(QStringLiteral("Невозможно создать файл ") + path + QStringLiteral(": ") +
                          file_.errorString());
    writeLine(QStringLiteral("Внутренний код (артикул);Наименование;Краткое описание;Цена"));
}

void ShopScriptCatalog::writeLine(const QString& line)
{
    chunk_ += line;
    chunk_ += QStringLiteral("\r\n");
    if (chunk_.size() >= kChunkSize) {
        file_.write(encodeCp1251(chunk_));
        chunk_.clear();
    }
}

void ShopScriptCatalog::WriteGroup(int depth, const QString& name)
{
    writeLine(u';' + ShopScriptField(QString(qMax(0, depth - 1), u'!') + name) + QStringLiteral(";;"));
}

void ShopScriptCatalog::WriteGood(const ShopScriptGood& good)
{
    writeLine(ShopScriptField(good.art) + u';' + ShopScriptField(good.tovar) + u';' + ShopScriptField(good.comment) +
              u';' + ShopScriptPriceText(good.price, roundingDegree_) + u';');
}

void ShopScriptCatalog::Commit()
{
    // QSaveFile keeps the first write error; commit() reports it.
    file_.write(encodeCp1251(chunk_));
    chunk_.clear();
    if (!file_.commit())
        throw OutputError(QStringLiteral("Ошибка записи файла ") + path_ + QStringLiteral(": ") + file_.errorString());
}

} // namespace velmora::output
