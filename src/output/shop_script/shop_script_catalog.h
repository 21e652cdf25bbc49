#pragma once

#include <QSaveFile>
#include <QString>

namespace velmora::output {

// One good of the catalogue file: article, name, short description and the
// price as stored (the file rounds it).
struct ShopScriptGood {
    QString art;
    QString tovar;
    QString comment;
    double price = 0;
};

// The catalogue file of the Shop-Script web shop (CatalogUpdate.csv):
// Windows-1251, CRLF after every line, ";" between fields. A header line,
// then for each group its line followed by the lines of its goods. A NUL
// in a field is written as a blank; a field holding ";", a double quote, CR
// or LF is quoted with its quotes doubled; every other field is written as
// it is.
//
// Written through a temporary file that takes the path's place on Commit
// only; destroyed without Commit, it leaves an old file as it was.
class ShopScriptCatalog {
public:
    // Writes the header line. `roundingDegree` is the number of decimals
    // prices are rounded to (half up; negative: tens, hundreds ...). Throws
    // OutputError when the file cannot be created.
    ShopScriptCatalog(const QString& path, int roundingDegree);

    // ";" + one "!" per level below the top (depth 1) + name + ";;".
    void WriteGroup(int depth, const QString& name);
    // art;tovar;comment;price; with the price's decimal comma ("12,5").
    void WriteGood(const ShopScriptGood& good);
    // Throws OutputError when the file could not be written whole.
    void Commit();

private:
    void writeLine(const QString& line);

    QString path_;
    QSaveFile file_;
    int roundingDegree_;
    QString chunk_;
};

// The field as the file writes it.
QString ShopScriptField(const QString& text);
// The price as the file writes it.
QString ShopScriptPriceText(double price, int roundingDegree);

} // namespace velmora::output
