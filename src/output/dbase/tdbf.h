#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace velmora::output {

// Every failure of TDBF. The message begins with the name of the failing
// operation ("Open: Не найден файл ..."), except the one for a file held by
// another program, which the user reads as it stands.
class ED : public std::runtime_error {
public:
    explicit ED(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// The kinds of AddFieldDefs, numbered as the callers store them.
enum class DbfFieldKind { Logical = 0, Date = 1, Float = 2, Numeric = 3, Character = 4 };

// Code-page marks at offset 29 of the header.
inline constexpr unsigned char kDbfMarkWindows1251 = 201;
inline constexpr unsigned char kDbfMarkDos866 = 38;

class DbfTableFile;

// A dBase III table file (.DBF): made from field descriptions, filled record
// by record from texts converted by field type, with the header's record
// count and last-update date kept current.
//
// A table made by CreateTable is written under a temporary name beside
// TableName and put in place of the old file by Close only; a TDBF destroyed
// without Close leaves the old file as it was. A table opened with Open is
// changed in place.
//
// Exclusive takes an advisory lock (flock): exclusive when set, shared
// otherwise. A file another process holds in a way that excludes ours cannot
// be opened or replaced.
//
// Texts are written in Windows-1251 (CodePage 0, mark 201, and CodePage 2,
// mark 0) or in code page 866 (CodePage 1, mark 38). Reading a file maps the
// marks 201 and 87 to 0, 38 to 1 and anything else to 2.
class TDBF {
public:
    // `today` gives the date the header records as the last update; the
    // system date when empty.
    explicit TDBF(std::function<QDate()> today = {});
    ~TDBF();
    TDBF(const TDBF&) = delete;
    TDBF& operator=(const TDBF&) = delete;

    QString TableName() const { return tableName_; }
    // The extension must be ".DBF" in any case; an empty name is taken and
    // refused by CreateTable.
    void SetTableName(const QString& path);
    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool exclusive);
    int CodePage() const { return codePage_; }
    // Writes the mark at once when a file is open.
    void SetCodePage(int codePage);

    // Adds one field description for CreateTable. The name is upper-cased
    // and cut to 10 characters; L and D have their fixed lengths, F and N
    // take `decimals`, which may be at most size - 2 when not 0.
    void AddFieldDefs(const QString& name, DbfFieldKind kind, int decimals, int size);
    void CreateTable();
    void Open();
    // Writes a changed current record and the header; a table made by
    // CreateTable then takes TableName's place. Clears the field descriptions.
    void Close();
    void ReopenTable();
    // Adds a blank record and makes it current.
    void Append();
    void Last();
    // Puts a value into the current record. Trailing blanks are cut, then:
    // L takes TRUE/YES and FALSE/NO in any case ("T", "F", a blank for
    // anything else); D takes a day number (0: no date, blank) or
    // "dd?mm?yy" (years 51-99 are 1951-1999, 00-50 2000-2050) or
    // "dd?mm?yyyy"; F and N take a number with "." or "," and are written in
    // fixed notation with the field's decimals and "."; C is written as it
    // is, but for a NUL, written as a blank. An empty text blanks the field.
    // The formatted value must fit the field.
    void SetFieldData(int field, const QString& text);

    bool IsOpen() const;
    int FieldCount() const { return int(fields_.size()); }
    qint64 RecordCount() const { return recordCount_; }
    // The current record, from 1; 0 when there is none.
    qint64 RecNo() const { return current_; }
    // The current record as it stands: the flag byte and the fields.
    QByteArray RecordBuffer() const { return record_; }

private:
    struct Field {
        QByteArray descriptor; // 32 bytes as stored
        char type = 'C';
        int length = 0;
        int decimals = 0;
        int offset = 0; // in the record, after the flag byte
    };

    void ReadHeader();
    void ReadRecord();
    void WriteHeader(bool withDescriptors);
    void WriteRecord();
    void SetDbfDate(const QDate& date);

    void openFile(std::unique_ptr<DbfTableFile> file);
    void finishFile();
    void forget();
    qint64 recordPosition(qint64 record) const;
    int headerLength() const;
    int recordLength() const;
    QByteArray encodeText(const QString& text) const;
    QByteArray formatValue(const Field& field, const QString& text, bool* ok) const;
    [[noreturn]] void failBusy() const;

    std::function<QDate()> today_;
    QString tableName_;
    bool exclusive_ = false;
    int codePage_ = 0;
    std::vector<Field> definitions_; // from AddFieldDefs, until CreateTable
    std::vector<Field> fields_;      // of the open file
    std::unique_ptr<DbfTableFile> file_;
    QByteArray header_; // the 32-byte header image
    QByteArray record_;
    qint64 recordCount_ = 0;
    qint64 current_ = 0;
    bool recordChanged_ = false;
    bool headerChanged_ = false;
    bool dateChecked_ = false; // the header's date against today's, since opening
};

} // namespace velmora::output
