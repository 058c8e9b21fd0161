#include "platform/bd/Recordset.h"

#include <QDateTime>

#include "base/Falha.h"

FieldType tipoDoCampo(int tipo) {
    switch (tipo) {
        case QMetaType::QString:
        case QMetaType::QChar:
            return FieldType::Text;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return FieldType::Integer;
        case QMetaType::Double:
        case QMetaType::Float:
            return FieldType::Real;
        case QMetaType::Bool:
            return FieldType::Boolean;
        case QMetaType::QDateTime:
        case QMetaType::QDate:
        case QMetaType::QTime:
            return FieldType::DateTime;
        case QMetaType::QByteArray:
            return FieldType::Binary;
        default:
            return FieldType::Other;
    }
}

void Recordset::appendField(const QString& name, FieldType type, int definedSize) {
    if (open_)
        throw Falha(
            Falha::ErroDeBaseDeDados,
            QStringLiteral("Não se pode acrescentar o campo %1 a uma tabela aberta").arg(name));
    fields_.append({name, type, definedSize});
}

void Recordset::open() {
    rows_.clear();
    position_ = 0;
    open_ = true;
}

void Recordset::close() {
    rows_.clear();
    position_ = 0;
    open_ = false;
    writer_.reset();
}

void Recordset::moveFirst() {
    position_ = 0;
}

void Recordset::moveNext() {
    if (position_ < rows_.size())
        ++position_;
}

void Recordset::moveLast() {
    position_ = rows_.isEmpty() ? 0 : int(rows_.size()) - 1;
}

int Recordset::fieldIndex(const QString& name) const {
    // Callers mostly write a name as the table does: an exact match is looked for first, being
    // cheap, and names that differ in length never match.
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == name)
            return i;
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.size() == name.size() &&
            fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int Recordset::requireField(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("O campo %1 não existe no conjunto de registos").arg(name));
    return i;
}

void Recordset::requireCurrentRow() const {
    if (bof() || eof())
        throw Falha(
            Falha::ErroDeBaseDeDados,
            QStringLiteral("Não há registo corrente (início ou fim do conjunto de registos)"));
}

int Recordset::definedSize(const QString& name) const {
    return fields_[requireField(name)].definedSize;
}

QVariant Recordset::value(const QString& name) const {
    return value(requireField(name));
}

QVariant Recordset::value(int index) const {
    requireCurrentRow();
    if (index < 0 || index >= fields_.size())
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("Campo %1 fora dos limites").arg(index));
    return rows_[position_].values[index];
}

void Recordset::setValue(const QString& name, const QVariant& v) {
    setValue(requireField(name), v);
}

void Recordset::setValue(int index, const QVariant& v) {
    requireCurrentRow();
    if (index < 0 || index >= fields_.size())
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("Campo %1 fora dos limites").arg(index));
    const RecordsetField& f = fields_[index];
    if (f.type == FieldType::Text && f.definedSize > 0 && !v.isNull() &&
        v.toString().size() > f.definedSize)
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("O texto \"%1\" excede os %2 caracteres do campo %3")
                        .arg(v.toString())
                        .arg(f.definedSize)
                        .arg(f.name));
    Row& row = rows_[position_];
    row.values[index] = v;
    row.changed[index] = true;
}

void Recordset::addNew() {
    if (!open_)
        open();
    Row row;
    row.values.resize(fields_.size());
    row.original.resize(fields_.size());
    row.changed.fill(false, fields_.size());
    row.isNew = true;
    rows_.append(row);
    position_ = int(rows_.size()) - 1;
}

namespace {

QMetaType qtTypeOf(const RecordsetField& f) {
    if (f.qtType.isValid())
        return f.qtType;
    switch (f.type) {
        case FieldType::Text:
            return QMetaType::fromType<QString>();
        case FieldType::Integer:
            return QMetaType::fromType<qlonglong>();
        case FieldType::Real:
        case FieldType::Currency:
            return QMetaType::fromType<double>();
        case FieldType::Boolean:
            return QMetaType::fromType<bool>();
        case FieldType::DateTime:
            return QMetaType::fromType<QDateTime>();
        case FieldType::Binary:
            return QMetaType::fromType<QByteArray>();
        case FieldType::Other:
            break;
    }
    return {};
}

}  // namespace

void Recordset::update() {
    requireCurrentRow();
    Row& row = rows_[position_];
    if (writer_ && (row.isNew || row.changed.contains(true))) {
        // A null of no type is sent by Qt's ODBC driver as binary, which SQL Server refuses for
        // a date or a numeric column: it goes as a null of its column's type.
        QVector<QVariant> values = row.values;
        for (int i = 0; i < values.size(); ++i)
            if (!values[i].isValid())
                values[i] = QVariant(qtTypeOf(fields_[i]));
        if (row.isNew)
            writer_->insertRow(fields_, values, row.changed);
        else
            writer_->updateRow(fields_, values, row.original, row.changed);
    }
    row.original = row.values;
    row.changed.fill(false);
    row.isNew = false;
}

Recordset Recordset::clone() const {
    return *this;
}

void Recordset::reset(QVector<RecordsetField> fields) {
    fields_ = std::move(fields);
    rows_.clear();
    position_ = 0;
    open_ = true;
    writer_.reset();
}

void Recordset::appendRow(QVector<QVariant> values) {
    Row row;
    row.original = values;
    row.values = std::move(values);
    row.changed.fill(false, fields_.size());
    rows_.append(std::move(row));
}
