// The import reader on any bytes: the records of a transfer file and each value as its
// column stores it. Whatever it accepts must come back the same after a trip through the
// export's own line format.
#include "exchange/transferfile.h"
#include "punch/punchrecord.h"

#include <QVariant>
#include <cstdint>
#include <cstdlib>

namespace {

pw::FieldType column_type(int pos) {
    using namespace pw::col;
    switch (pos) {
    case tckjobdescription:
    case tcktimein:
    case tcktimeout:
    case tckadjreason:
    case tckadjtimein:
    case tckadjtimeout:
    case tckcomment:
        return pw::FieldType::Text;
    case tckpayrate:
    case tckbreaktime:
    case tckbreakreduction:
    case tckreghours:
    case tckothours:
    case tckadjreghours:
        return pw::FieldType::Real;
    default:
        return pw::FieldType::Integer;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const pw::TransferRecords file = pw::read_transfer_file(text, pw::col::count);
    if (file.error_line > 0)
        return 0;

    QByteArray again;
    for (const QStringList& record : file.records) {
        QVariantList raw;
        for (int i = 0; i < record.size(); ++i) {
            (void)pw::import_value(record[i], column_type(i)).toDouble();
            raw << record[i];
        }
        again += pw::export_line(raw);
    }
    const pw::TransferRecords back =
        pw::read_transfer_file(QString::fromUtf8(again), pw::col::count);
    if (back.error_line > 0 || back.records != file.records)
        std::abort();
    return 0;
}
