#pragma once

// A program folder with the order templates and both databases, in a
// temporary folder; helpers to fill orders and read workbooks back.

#include "orders/order_exports.h"
#include "orders/order_lines.h"
#include "platform/db/connection.h"
#include "platform/spreadsheet/workbook.h"
#include "storage/schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <stdexcept>

namespace velmora::orders::test {

struct OrderFolder {
    QTemporaryDir root;
    QString program = root.filePath(QStringLiteral("program")) + u'/';
    db::Connection price;
    db::Connection order;

    OrderFolder()
    {
        QDir().mkpath(program + QStringLiteral("client"));
        const QString shipped = QStringLiteral(VELMORA_PROGRAM_DIR "/");
        for (const char* name : {"zakaz.xlsx", "zayavka.xlsx", "Quorvel.xlsx", "order.xlsx", "notimport.xlsx",
                                 "notzakaz.xlsx", "Svod_Price.xlsx", "Price-svod.xlsx", "client/zakaz.xlsx", "client/zayavka.xlsx",
                                 "client/zayavka2.xlsx"})
            if (!QFile::copy(shipped + QLatin1String(name), program + QLatin1String(name)))
                throw std::runtime_error(std::string("template missing: ") + name);
        createPriceDatabase(program + QStringLiteral("PRICE.vdb"));
        createOrderDatabase(program + QStringLiteral("BaseZakaz.vdb"));
        price.open(program + QStringLiteral("PRICE.vdb"));
        order.open(program + QStringLiteral("BaseZakaz.vdb"));
    }

    QString userIni() const { return program + QStringLiteral("SetupUser.ini"); }

    // An export input for the order with today fixed.
    OrderExportInput input(const QString& number)
    {
        OrderExportInput in;
        in.orderDb = &order;
        in.priceDb = &price;
        in.orderNumberText = number;
        in.programFolder = program;
        in.today = QDate(2024, 12, 10);
        return in;
    }

    // One order line; returns its ID.
    qint64 addLine(int number, const QString& supplier, double priceOut, double quantity,
                   const QString& tovar = QStringLiteral("Товар"), qint64 tovarNumber = 0, double price = 0)
    {
        db::Statement insert = order.prepare(QStringLiteral(
            "INSERT INTO AllZakazFull (ZakazNumber, ClientName, TovarNumber, Art, Tovar, Price, Pricemax, Quantity,"
            " PriceOut, Postavshik, Garant, Sklad, Description, TextNoName, Obrab)"
            " VALUES (?1, 'Клиент', ?2, 'A-' || ?1, ?3, ?4, ?5, ?6, ?7, ?8, 'Китай', 'есть', 'Описание', 'Завод', 1)"));
        insert.bindInt(1, number).bindInt(2, tovarNumber).bindText(3, tovar).bindDouble(4, price);
        insert.bindDouble(5, priceOut * 1.2).bindDouble(6, quantity).bindDouble(7, priceOut).bindText(8, supplier);
        insert.execute();
        return order.lastInsertRowId();
    }

    int lineCount()
    {
        return order.scalar(QStringLiteral("SELECT COUNT(*) FROM AllZakazFull")).toInt();
    }

    // One own good of the catalogue.
    void addOwnGood(qint64 code, const QString& art, const QString& tovar, double price1, int nacen = 0,
                    bool superPrice = false)
    {
        db::Statement insert = price.prepare(QStringLiteral(
            "INSERT INTO price_main (Code, Art, Kategor, Tovar, Price_1, Nacen, SuperPrice)"
            " VALUES (?1, ?2, '1', ?3, ?4, ?5, ?6)"));
        insert.bindInt(1, code).bindText(2, art).bindText(3, tovar).bindDouble(4, price1).bindInt(5, nacen);
        insert.bindInt(6, superPrice ? 1 : 0);
        insert.execute();
    }

    // One row of the order list.
    void addZakaz(qint64 id, qint64 code, const QString& tovar, qint64 quantity, double priceOut,
                  const QString& art = QString())
    {
        db::Statement insert = price.prepare(QStringLiteral(
            "INSERT INTO Zakaz (Id, Code, Art, Tovar, Price_1, PriceOut, Quantity, Obrab)"
            " VALUES (?1, ?2, ?3, ?4, ?5, ?5, ?6, 'True')"));
        insert.bindInt(1, id).bindInt(2, code).bindText(3, art.isEmpty() ? QStringLiteral("A%1").arg(code) : art);
        insert.bindText(4, tovar).bindDouble(5, priceOut).bindInt(6, quantity);
        insert.execute();
    }

    // One offer of the combined price.
    void addSvod(qint64 code, const QString& supplier, double offerPrice, const QString& sklad,
                 const QString& tovar = QString(), const QString& obrab = QStringLiteral("False"))
    {
        db::Statement insert = price.prepare(QStringLiteral(
            "INSERT INTO svod (Art, Tovar, Price, Postavshik, Code_sootv, Obrab, Sklad)"
            " VALUES ('S-' || ?1, ?2, ?3, ?4, ?1, ?5, ?6)"));
        insert.bindInt(1, code).bindText(2, tovar.isEmpty() ? QStringLiteral("Товар %1").arg(code) : tovar);
        insert.bindDouble(3, offerPrice).bindText(4, supplier).bindText(5, obrab).bindText(6, sklad);
        insert.execute();
    }

    int zakazCount() { return price.scalar(QStringLiteral("SELECT COUNT(*) FROM Zakaz")).toInt(); }

    // The units of a good by supplier: "Альфа=4 Бета=- ..." in name order.
    QString unitsOf(qint64 code)
    {
        return price
            .scalar(QStringLiteral("SELECT group_concat(Postavshik || '=' || Obrab, ' ') FROM"
                                   " (SELECT * FROM ZakazPostav WHERE Code = ?1 ORDER BY Postavshik)"),
                    {code})
            .toString();
    }
};

// A workbook whose first sheet holds the rows given (from A1; a QString
// cell is text, a double a number, an empty QVariant nothing), saved as
// .xlsx under `path`.
inline void WriteWorkbook(const QString& path, const QList<QVariantList>& rows, const QString& sheetName = {})
{
    sheet::Workbook book;
    sheet::Worksheet& sheet = book.sheet(1);
    if (!sheetName.isEmpty())
        sheet.setName(sheetName);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            const QVariant& v = rows[r][c];
            if (v.typeId() == QMetaType::QString)
                sheet.setText(r + 1, c + 1, v.toString());
            else if (v.isValid())
                sheet.setNumber(r + 1, c + 1, v.toDouble());
        }
    book.saveAs(path);
}

// Runs a script with Debian's Python (which has openpyxl) and returns what it
// printed.
inline QString RunPython(const QString& script, const QStringList& arguments)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + arguments);
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        throw std::runtime_error("python failed: " + python.readAllStandardError().toStdString());
    return QString::fromUtf8(python.readAllStandardOutput());
}

// The cells of the first sheet as "A1=value" lines (formulas as their text,
// numbers as Python prints them), then "sheet=<name>", "active=<cell>" and
// the bold cells as "bold=A1 B2 ...".
inline QStringList ReadCells(const QString& path)
{
    static const QString script = QStringLiteral(R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
bold = []
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is not None:
            print("%s=%s" % (cell.coordinate, cell.value))
        if cell.font is not None and cell.font.b and cell.value is not None:
            bold.append(cell.coordinate)
print("sheet=" + sheet.title)
print("active=" + str(sheet.sheet_view.selection[0].activeCell))
print("bold=" + " ".join(bold))
)");
    return RunPython(script, {path}).split(u'\n', Qt::SkipEmptyParts);
}

// The value of one cell in ReadCells' lines; "<none>" when it is empty.
inline QString Cell(const QStringList& cells, const QString& address)
{
    const QString prefix = address + u'=';
    for (const QString& line : cells)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QStringLiteral("<none>");
}

inline QStringList BoldCells(const QStringList& cells)
{
    for (const QString& line : cells)
        if (line.startsWith(QLatin1String("bold=")))
            return line.mid(5).split(u' ', Qt::SkipEmptyParts);
    return {};
}

} // namespace velmora::orders::test
