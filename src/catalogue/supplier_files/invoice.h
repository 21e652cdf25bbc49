#pragma once

#include "supplier_file_rows.h"

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>

#include <stdexcept>
#include <vector>

namespace velmora::catalogue {

// A supplier's invoice (Form_PostavInvoice): each line with a price is
// recognised as one of the shop's own goods through the supplier's
// correspondences (by article when asked and the article is not empty,
// else by name); a correspondence of code 0, or one whose good is gone, is
// no recognition.
struct InvoiceLine {
    QString ownArt;      // the own good's article; kUnrecognisedArt for an unrecognised line
    QString supplierArt; // the invoice's article
    QString name;        // the own good's name, or the invoice's
    double price = 0;
    double quantity = 0; // as written, fractions kept
    bool recognised = false;
};

struct Invoice {
    // Recognised lines first, then the others, each in invoice order.
    std::vector<InvoiceLine> lines;
    int recognised = 0;
    QString number;
};

inline const QString kUnrecognisedArt = QStringLiteral("**********");

// Throws db::DbError.
Invoice recogniseInvoice(db::Connection& priceDb, const QString& supplier, const SupplierFileRead& read,
                         bool byArticle);

// The invoice workbook, made from the template invoice.xlsx of the program
// folder: sheet "Накладные от <dd.MM.yyyy>", the supplier in C3 and the
// number in G3, line n on row 5 + n (number, own article, supplier's
// article, name, price, quantity, =E*F), the lines in the template's fill
// of A6, size 8, a thin grid, prices and sums with two decimals, the
// number, price, quantity and sum centred, a zero sum's quantity in bold;
// two rows below the last line "Итого:" and =SUM over the line sums, in
// bold. Saved as "<supplier> <dd.MM.yyyy>.xlsx" in the folder "Накладные"
// of the program folder, characters a file name cannot hold made "_",
// "_2", "_3" ... added while the name is taken. Returns the saved path.
// The progress runs one step per line. Throws InvoiceExportError (a missing
// template, a folder that cannot be made: "Невозможно создать директорию "
// + folder, a failed save).
QString exportInvoice(const Invoice& invoice, const QString& supplier, const QString& programFolder,
                      const QDate& today, Progress* progress = nullptr);

class InvoiceExportError : public std::runtime_error {
public:
    explicit InvoiceExportError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

extern const QString kInvoiceLoadedText; // "Загрузка завершена "

} // namespace velmora::catalogue
