#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QStringList>

namespace velmora::catalogue {

// The settings of a supplier's workbook in the two twin windows that read
// one: the price update (Form_LoadPricePostav) and the invoices
// (Form_PostavInvoice). They live in the order database's settings store,
// each under the supplier's name followed by its suffix; the invoice
// window's suffixes all begin with "_Invoice".
enum class SupplierFileKind { PriceUpdate, Invoice };

struct SupplierFileSettings {
    QString path;           // "_Edit_Path"
    QStringList sheetNames; // "_ComboBox_SheetMaxItems" and "_ComboBox_SheetItems" + i
    int sheetItem = 0;      // "_ComboBox_SheetItemIndex": the chosen sheet's place in the list
    int startRowItem = 0;   // "_ComboBox_StartRowItem": the first row read is this + 1
    int columnArt = 0;      // "_ComboBox_Art", "_ComboBox_Tovar", ...: 0 none, 1 A ... 26 Z
    int columnTovar = 0;
    int columnPrice = 0;    // "_ComboBox_PriceMax"
    int columnQuantity = 0; // "_ComboBox_Zakaz"
    bool byArticle = false; // "_SelArtZakaz"
    bool byName = true;     // "_SelTovarZakaz"
    double rate = 1;        // "_KursPostav" (price update only), TypeCurrency
    QString numberCell;     // "_Invoice_Edit_Number" (invoices only): "C3"

    // The chosen sheet's name; empty when the list does not reach it.
    QString sheetName() const;
    int startRow() const { return startRowItem + 1; }
    bool operator==(const SupplierFileSettings&) const = default;
};

// Reads a supplier's settings (missing ones are stored with their
// defaults, as the store does). Throws db::DbError.
SupplierFileSettings readSupplierFileSettings(db::Connection& orderDb, SupplierFileKind kind, const QString& supplier);

// Writes every setting of the supplier, and its name under "_PostavName"
// ("_Invoice_PostavName"), in one transaction. Throws db::DbError or
// SettingsError and then leaves the stored settings as they were.
void writeSupplierFileSettings(db::Connection& orderDb, SupplierFileKind kind, const QString& supplier,
                               const SupplierFileSettings& settings);

// The window-wide setting that names the supplier to preselect:
// "PostavName_LoadPricePostav" or "PostavName_PostavInvoice".
QString preselectedSupplierSetting(SupplierFileKind kind);

// The rate field's key filter (Edit_KursPostavKeyPress): digits and
// backspace pass; "," or "." becomes the decimal comma when the text is
// not empty and has no comma yet; a digit is refused once the text holds a
// comma followed by more than two characters; any other key is refused.
enum class RateKey { Pass, AsComma, Refuse };
RateKey filterRateKey(const QString& text, QChar key);
// The rate as the field shows it ("1", "27,5").
QString rateText(double rate);

extern const QString kSettingsSavedText; // "Настройки сохранены в базе данных."

} // namespace velmora::catalogue
