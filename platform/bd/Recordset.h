#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

class RecordsetWriter;

enum class FieldType { Text, Integer, Real, Currency, Boolean, DateTime, Binary, Other };

// The field type of a result column of the given Qt type (a QMetaType id).
FieldType tipoDoCampo(int tipo);

struct RecordsetField {
    QString name;
    FieldType type = FieldType::Other;
    int definedSize = 0;  // characters for text fields; 0 when not known or not text
    // The column's type as the driver gives it (a numeric column's precise type, a date or a
    // time); invalid when not known.
    QMetaType qtType = {};
};

// A client-side record set: every row is held in memory, so the row count is known before the
// first row is read and the rows stay readable after the connection is closed. Nulls are kept
// as null QVariants. Filled by clsBd, or built field by field as an in-memory table.
// Field names are found without regard to case.
class Recordset {
  public:
    Recordset() = default;

    // In-memory table: append fields, then open it empty.
    void appendField(const QString& name, FieldType type, int definedSize = 0);
    void open();
    void close();
    bool isOpen() const { return open_; }

    int recordCount() const { return int(rows_.size()); }
    bool bof() const { return rows_.isEmpty() || position_ < 0; }
    bool eof() const { return rows_.isEmpty() || position_ >= rows_.size(); }
    void moveFirst();
    void moveNext();
    void moveLast();
    int position() const { return position_; }

    int fieldCount() const { return int(fields_.size()); }
    const RecordsetField& field(int index) const { return fields_.at(index); }
    int fieldIndex(const QString& name) const;  // -1 when absent
    int definedSize(const QString& name) const;

    // Value of the current row; raises Falha when there is no current row or no such field.
    QVariant value(const QString& name) const;
    QVariant value(int index) const;
    // Text longer than a text field's defined size is refused with a Falha, as a real table
    // would refuse it.
    void setValue(const QString& name, const QVariant& value);
    void setValue(int index, const QVariant& value);

    // Adds an empty (all null) row and makes it current.
    void addNew();
    // Stores the current row; for an updatable record set opened by clsBd, writes it to its
    // table (a new row is inserted, a changed row updated by its key). A null value goes to the
    // table with its field's type.
    void update();
    bool isUpdatable() const { return writer_ != nullptr; }

    // A second cursor over a copy of the rows, on the same row.
    Recordset clone() const;

    // Used by clsBd to fill a record set from a query.
    void reset(QVector<RecordsetField> fields);
    void appendRow(QVector<QVariant> values);
    void setWriter(std::shared_ptr<RecordsetWriter> writer) { writer_ = std::move(writer); }

  private:
    struct Row {
        QVector<QVariant> values;
        QVector<QVariant> original;
        QVector<bool> changed;
        bool isNew = false;
    };
    int requireField(const QString& name) const;
    void requireCurrentRow() const;

    QVector<RecordsetField> fields_;
    QVector<Row> rows_;
    int position_ = 0;
    bool open_ = false;
    std::shared_ptr<RecordsetWriter> writer_;
};

// Writes the rows of an updatable record set back to its table.
class RecordsetWriter {
  public:
    virtual ~RecordsetWriter() = default;
    virtual void insertRow(const QVector<RecordsetField>& fields, const QVector<QVariant>& values,
                           const QVector<bool>& assigned) = 0;
    virtual void updateRow(const QVector<RecordsetField>& fields, const QVector<QVariant>& values,
                           const QVector<QVariant>& original, const QVector<bool>& changed) = 0;
};
