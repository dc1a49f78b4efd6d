// The import reader on any bytes: what it accepts must fit the punch columns, and the raw
// records must come back the same after a trip through the export's own line format.
#include "exchange/transferfile.h"
#include "punch/punchrecord.h"

#include <QVariant>
#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const pw::TransferLayout& layout = pw::punch_transfer_layout();

    const pw::ImportRecords import = pw::read_import_file(bytes, layout);
    if (import.error_line > 0 && !import.records.isEmpty())
        std::abort(); // a refused file gives no record at all
    for (const QVariantList& record : import.records) {
        if (record.size() != layout.types.size())
            std::abort();
        for (qsizetype i = 0; i < record.size(); ++i)
            if (layout.types[i] != pw::FieldType::Text && !std::isfinite(record[i].toDouble()))
                std::abort();
    }

    const QString text = QString::fromUtf8(bytes);
    const pw::TransferRecords file = pw::read_transfer_file(text, int(layout.types.size()));
    if (file.error_line > 0)
        return 0;
    QByteArray again;
    for (const QStringList& record : file.records) {
        QVariantList raw;
        for (const QString& value : record)
            raw << value;
        again += pw::export_line(raw);
    }
    const pw::TransferRecords back =
        pw::read_transfer_file(QString::fromUtf8(again), int(layout.types.size()));
    if (back.error_line > 0 || back.records != file.records)
        std::abort();
    return 0;
}
