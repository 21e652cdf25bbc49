#include "tdbf.h"

#include "dbf_table_file.h"
#include "platform/files/code_page.h"
#include "platform/files/file_helpers.h"
#include "platform/db/day_numbers.h"
#include "storage/value_helpers.h"

#include <QFileInfo>

#include <charconv>
#include <cmath>

namespace velmora::output {
namespace {

constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr char kHeaderEnd = 0x0D;
constexpr char kFileEnd = 0x1A;

[[noreturn]] void fail(const QString& message) { throw ED(message); }

void putUInt(QByteArray& bytes, int offset, quint64 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

quint64 getUInt(const QByteArray& bytes, int offset, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value |= quint64(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

unsigned char markOfCodePage(int codePage)
{
    switch (codePage) {
    case 0: return kDbfMarkWindows1251;
    case 1: return kDbfMarkDos866;
    default: return 0;
    }
}

int codePageOfMark(unsigned char mark)
{
    // 87 is what older copies of these files carry for Windows-1251.
    if (mark == kDbfMarkWindows1251 || mark == 87)
        return 0;
    return mark == kDbfMarkDos866 ? 1 : 2;
}

QString cutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].unicode() <= u' ')
        --end;
    return text.left(end);
}

// A number with "." or "," as its decimal point, whatever the locale:
// an optional sign, digits and decimals, an optional exponent.
bool parseNumber(const QString& text, double* value)
{
    const QString t = text.trimmed();
    QByteArray bytes;
    bytes.reserve(t.size());
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        if (u == u',')
            bytes += '.';
        else if ((u >= u'0' && u <= u'9') || u == u'.' || u == u'-' || u == u'+' || u == u'e' || u == u'E')
            bytes += char(u);
        else
            return false;
    }
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [stop, error] = std::from_chars(begin, end, *value);
    return begin != end && error == std::errc() && stop == end && std::isfinite(*value);
}

QString fixedText(double value, int decimals)
{
    double rounded = RoundValue(decimals, value);
    if (rounded == 0)
        rounded = 0; // no "-0.00"
    return QString::number(rounded, 'f', decimals);
}

// "yyyymmdd" of a day number (0: no date, blank), "dd?mm?yy" or "dd?mm?yyyy".
bool dateText(const QString& text, QByteArray* out)
{
    const QString t = text.trimmed();
    double day = 0;
    QDate date;
    if (!t.contains(u'e', Qt::CaseInsensitive) && parseNumber(t, &day)) {
        if (std::floor(day) == 0) {
            *out = QByteArray(8, ' ');
            return true;
        }
        date = db::dateFromDayNumber(day);
    } else if (t.size() == 8 || t.size() == 10) {
        bool okDay = false, okMonth = false, okYear = false;
        const int d = t.mid(0, 2).toInt(&okDay);
        const int m = t.mid(3, 2).toInt(&okMonth);
        int y = t.mid(6).toInt(&okYear);
        if (!okDay || !okMonth || !okYear || t[2].isDigit() || t[5].isDigit())
            return false;
        if (t.size() == 8)
            y += y > 50 ? 1900 : 2000;
        date = QDate(y, m, d);
    }
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return false;
    *out = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    return true;
}

} // namespace

TDBF::TDBF(std::function<QDate()> today)
    : today_(today ? std::move(today) : std::function<QDate()>([] { return QDate::currentDate(); }))
{
}

TDBF::~TDBF()
{
    // A table opened in place gets its last record and header; a new table
    // not closed is dropped with its temporary file.
    if (file_ && !file_->isReplacement()) {
        try {
            finishFile();
        } catch (const ED&) {
        }
    }
}

bool TDBF::IsOpen() const { return file_ != nullptr; }

void TDBF::SetTableName(const QString& path)
{
    if (IsOpen())
        fail(QStringLiteral("TableName: Это свойство нельзя изменять, если файл открыт"));
    if (!path.isEmpty() && UpperFileExt(path) != u"DBF")
        fail(QStringLiteral("TableName: Недопустимый тип файла"));
    tableName_ = path;
}

void TDBF::SetExclusive(bool exclusive)
{
    if (IsOpen())
        fail(QStringLiteral("Exclusive: Это свойство нельзя изменять, если файл открыт"));
    exclusive_ = exclusive;
}

void TDBF::SetCodePage(int codePage)
{
    codePage_ = codePage;
    if (!IsOpen())
        return;
    header_[29] = char(markOfCodePage(codePage));
    if (!file_->write(29, header_.mid(29, 1)))
        fail(QStringLiteral("CodePage: Ошибка записи в заголовок файла"));
}

void TDBF::AddFieldDefs(const QString& name, DbfFieldKind kind, int decimals, int size)
{
    if (IsOpen())
        fail(QStringLiteral("AddFieldDefs: В открытом файле нельзя изменять описания полей"));
    if (size <= 0 || size > 255)
        fail(QStringLiteral("AddFieldDefs: Недопустимый размер поля"));
    Field field;
    switch (kind) {
    case DbfFieldKind::Logical: field.type = 'L'; field.length = 1; break;
    case DbfFieldKind::Date: field.type = 'D'; field.length = 8; break;
    case DbfFieldKind::Float: field.type = 'F'; field.length = size; break;
    case DbfFieldKind::Numeric: field.type = 'N'; field.length = size; break;
    case DbfFieldKind::Character: field.type = 'C'; field.length = size; break;
    }
    if (field.type == 'F' || field.type == 'N') {
        if (decimals < 0 || (decimals != 0 && decimals > size - 2))
            fail(QStringLiteral("AddFieldDefs: Недопустимое значение FldPrecision"));
        field.decimals = decimals;
    }
    field.descriptor = QByteArray(kDescriptorSize, '\0');
    const QByteArray stored = SingleByteCodePage::windows1251().encode(name.toUpper()).left(10);
    field.descriptor.replace(0, stored.size(), stored);
    field.descriptor[11] = field.type;
    field.descriptor[16] = char(field.length);
    field.descriptor[17] = char(field.decimals);
    definitions_.push_back(field);
}

int TDBF::headerLength() const { return int(getUInt(header_, 8, 2)); }

int TDBF::recordLength() const { return int(getUInt(header_, 10, 2)); }

qint64 TDBF::recordPosition(qint64 record) const
{
    return headerLength() + (record - 1) * qint64(recordLength());
}

void TDBF::failBusy() const
{
    fail(QStringLiteral("Файл ") + QFileInfo(tableName_).fileName() +
         QStringLiteral(" невозможно открыть в монопольном\rрежиме, т.к. он уже используется другой программой"));
}

void TDBF::CreateTable()
{
    if (IsOpen())
        fail(QStringLiteral("CreateTable: Необходимо закрыть открытый файл"));
    if (tableName_.isEmpty())
        fail(QStringLiteral("CreateTable: Необходимо указать имя файла"));
    if (definitions_.empty())
        fail(QStringLiteral("CreateTable: Не заданы описания полей"));

    bool busy = false;
    std::unique_ptr<DbfTableFile> file = DbfTableFile::createReplacement(
        tableName_, exclusive_ ? DbfTableFile::Lock::Exclusive : DbfTableFile::Lock::Shared, &busy);
    if (busy)
        failBusy();
    if (!file)
        fail(QStringLiteral("CreateTable: Ошибка записи EOF"));

    int length = 1;
    for (const Field& field : definitions_)
        length += field.length;
    header_ = QByteArray(kHeaderSize, '\0');
    header_[0] = 3;
    putUInt(header_, 8, kDescriptorSize * definitions_.size() + kHeaderSize + 1, 2);
    putUInt(header_, 10, length, 2);
    header_[29] = char(markOfCodePage(codePage_));
    fields_ = definitions_;
    recordCount_ = 0;
    file_ = std::move(file);
    try {
        SetDbfDate(today_());
        WriteHeader(true);
        if (!file_->write(headerLength(), QByteArray(1, kFileEnd)) || !file_->flush())
            fail(QStringLiteral("CreateTable: Ошибка записи EOF"));
        ReopenTable();
    } catch (const ED&) {
        forget();
        throw;
    }
    definitions_.clear();
}

void TDBF::Open()
{
    if (IsOpen())
        fail(QStringLiteral("Open: Необходимо закрыть открытый файл"));
    if (!QFileInfo(tableName_).isFile())
        fail(QStringLiteral("Open: Не найден файл ") + tableName_);
    std::unique_ptr<DbfTableFile> file = DbfTableFile::openExisting(
        tableName_, exclusive_ ? DbfTableFile::Lock::Exclusive : DbfTableFile::Lock::Shared);
    if (!file)
        failBusy();
    openFile(std::move(file));
}

void TDBF::openFile(std::unique_ptr<DbfTableFile> file)
{
    file_ = std::move(file);
    try {
        ReadHeader();
        current_ = recordCount_ > 0 ? 1 : 0;
        record_ = QByteArray(recordLength(), ' ');
        ReadRecord();
    } catch (const ED&) {
        forget();
        throw;
    }
}

void TDBF::ReopenTable()
{
    if (IsOpen() && file_->isReplacement()) {
        // A new table stays under its temporary name until Close.
        finishFile();
        std::unique_ptr<DbfTableFile> file = std::move(file_);
        forget();
        openFile(std::move(file));
        return;
    }
    if (IsOpen())
        Close();
    Open();
}

void TDBF::Close()
{
    if (!IsOpen())
        fail(QStringLiteral("Close: Файл не открыт"));
    try {
        finishFile();
        if (!file_->commit())
            fail(QStringLiteral("Close: Ошибка сохранения файла ") + tableName_);
    } catch (const ED&) {
        forget();
        throw;
    }
    forget();
}

void TDBF::finishFile()
{
    if (recordChanged_)
        WriteRecord();
    if (headerChanged_) {
        WriteHeader(false);
        if (!file_->write(recordPosition(recordCount_ + 1), QByteArray(1, kFileEnd)))
            fail(QStringLiteral("WriteHeader: Ошибка сохранения заголовка файла"));
    }
    if (!file_->flush())
        fail(QStringLiteral("WriteRecord: Ошибка сохранения записи"));
}

void TDBF::forget()
{
    file_.reset();
    header_.clear();
    fields_.clear();
    record_.clear();
    recordCount_ = 0;
    current_ = 0;
    recordChanged_ = false;
    headerChanged_ = false;
    dateChecked_ = false;
}

void TDBF::ReadHeader()
{
    const auto failRead = [] { fail(QStringLiteral("ReadHeader: Ошибка чтения заголовка файла")); };
    if (!file_->read(0, kHeaderSize, &header_))
        failRead();
    recordCount_ = qint64(getUInt(header_, 4, 4));
    const int length = headerLength();
    if (length < kHeaderSize + 1 || recordLength() < 1)
        failRead();
    QByteArray descriptors;
    if (!file_->read(kHeaderSize, length - kHeaderSize, &descriptors))
        failRead();
    fields_.clear();
    int offset = 1;
    // Descriptors run to the 0x0D terminator; files of other programs may
    // keep more bytes after it inside the header.
    for (int at = 0; at + kDescriptorSize <= descriptors.size() && descriptors[at] != kHeaderEnd;
         at += kDescriptorSize) {
        Field field;
        field.descriptor = descriptors.mid(at, kDescriptorSize);
        field.type = field.descriptor[11];
        field.length = static_cast<unsigned char>(field.descriptor[16]);
        field.decimals = static_cast<unsigned char>(field.descriptor[17]);
        field.offset = offset;
        offset += field.length;
        fields_.push_back(field);
    }
    if (offset > recordLength())
        failRead();
    codePage_ = codePageOfMark(static_cast<unsigned char>(header_[29]));
}

void TDBF::ReadRecord()
{
    if (current_ <= 0)
        return;
    if (!file_->read(recordPosition(current_), recordLength(), &record_))
        fail(QStringLiteral("ReadRecord: Ошибка чтения записи"));
    recordChanged_ = false;
}

void TDBF::WriteHeader(bool withDescriptors)
{
    QByteArray bytes = header_;
    if (withDescriptors) {
        int offset = 1;
        for (Field& field : fields_) {
            field.offset = offset;
            offset += field.length;
            bytes += field.descriptor;
        }
        bytes += kHeaderEnd;
    }
    if (!file_->write(0, bytes))
        fail(QStringLiteral("WriteHeader: Ошибка сохранения заголовка файла"));
    headerChanged_ = false;
}

void TDBF::WriteRecord()
{
    // Once per opening: reading the clock costs more than writing a record.
    if (!dateChecked_) {
        const QDate today = today_();
        if (getUInt(header_, 1, 1) + 1900 != quint64(today.year()) ||
            getUInt(header_, 2, 1) != quint64(today.month()) || getUInt(header_, 3, 1) != quint64(today.day()))
            SetDbfDate(today);
        dateChecked_ = true;
    }
    if (current_ <= 0 || !file_->write(recordPosition(current_), record_))
        fail(QStringLiteral("WriteRecord: Ошибка сохранения записи"));
    recordChanged_ = false;
}

void TDBF::SetDbfDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1900 || date.year() > 1900 + 255)
        fail(QStringLiteral("SetDbfDate: Неверное значение даты"));
    header_[1] = char(date.year() - 1900);
    header_[2] = char(date.month());
    header_[3] = char(date.day());
    // Sent with the header when the file is finished.
    headerChanged_ = true;
}

void TDBF::Append()
{
    if (!IsOpen())
        fail(QStringLiteral("Append: Ошибка сохранения записи"));
    if (recordChanged_)
        WriteRecord();
    ++recordCount_;
    putUInt(header_, 4, quint64(recordCount_), 4);
    headerChanged_ = true;
    current_ = recordCount_;
    // The blank record is written with its data, or blank, by the next
    // WriteRecord; the header and the end mark when the file is finished.
    record_ = QByteArray(recordLength(), ' ');
    recordChanged_ = true;
}

void TDBF::Last()
{
    if (!IsOpen() || recordCount_ == 0)
        fail(QStringLiteral("Last: В файле нет записей"));
    if (recordChanged_)
        WriteRecord();
    current_ = recordCount_;
    ReadRecord();
}

QByteArray TDBF::encodeText(const QString& text) const
{
    const SingleByteCodePage& page =
        codePage_ == 1 ? SingleByteCodePage::dos866() : SingleByteCodePage::windows1251();
    return page.encode(text);
}

QByteArray TDBF::formatValue(const Field& field, const QString& text, bool* ok) const
{
    *ok = true;
    switch (field.type) {
    case 'L': {
        const QString word = text.trimmed().toUpper();
        if (word == u"TRUE" || word == u"YES")
            return "T";
        if (word == u"FALSE" || word == u"NO")
            return "F";
        return " ";
    }
    case 'D': {
        QByteArray out;
        *ok = dateText(text, &out);
        return out;
    }
    case 'F':
    case 'N': {
        double value = 0;
        *ok = parseNumber(text, &value);
        return *ok ? fixedText(value, field.decimals).toLatin1() : QByteArray();
    }
    default:
        // A NUL would end the text for dBase readers.
        return encodeText(NulsAsBlanks(text));
    }
}

void TDBF::SetFieldData(int field, const QString& text)
{
    if (field < 1 || field > FieldCount())
        fail(QStringLiteral("SetFieldData: Неверный номер поля: ") + QString::number(field));
    const auto where = [&] { return QStringLiteral("Ряд: %1, Поле: %2").arg(current_).arg(field); };
    if (!IsOpen() || current_ <= 0)
        fail(QStringLiteral("SetFieldData: Ошибка данных - ") + where());
    const Field& f = fields_[field - 1];
    const QString value = cutTrailingBlanks(text);
    QByteArray formatted;
    if (!value.isEmpty()) {
        bool ok = false;
        formatted = formatValue(f, value, &ok);
        if (!ok)
            fail(QStringLiteral("SetFieldData: Ошибка данных - ") + where());
    }
    if (formatted.size() > f.length)
        fail(QStringLiteral("SetFieldData: Недопустимый размер данных\r") + where());
    const QByteArray padding(f.length - formatted.size(), ' ');
    const bool rightAligned = f.type == 'F' || f.type == 'M' || f.type == 'N';
    record_.replace(f.offset, f.length, rightAligned ? padding + formatted : formatted + padding);
    recordChanged_ = true;
}

} // namespace velmora::output
