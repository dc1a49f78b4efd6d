#pragma once
// How a failing check shows Qt values: as their text, not as "2-byte object"s. GoogleTest
// finds these by argument-dependent look-up, so they live where Qt's classes do, in the
// global namespace. The build includes this header ahead of every test source (see
// CMakeLists.txt here), so no test program mixes two printers of one type.

#include <QStringList>
#include <QVariant>
#include <ostream>

void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QStringList& list, std::ostream* os);
void PrintTo(const QVariant& value, std::ostream* os);
