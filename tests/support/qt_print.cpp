#include "qt_print.h"

#include <QDebug>
#include <gtest/gtest.h>

// Quoted and escaped as GoogleTest shows a std::string, so blanks and line ends show.
void PrintTo(const QString& text, std::ostream* os) {
    *os << ::testing::PrintToString(text.toStdString());
}

void PrintTo(const QStringList& list, std::ostream* os) {
    *os << ::testing::PrintToString(std::vector<QString>(list.begin(), list.end()));
}

// Qt's own debug form names the type beside the value: QVariant(int, 4), QVariant(Invalid).
void PrintTo(const QVariant& value, std::ostream* os) {
    *os << QDebug::toString(value).toStdString();
}
