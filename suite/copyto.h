#pragma once
// Moving a club's data folder to a database server.

#include <QString>
#include <QStringList>

namespace suite {

// Copies the databases of root/data (CONFIG, EMP, PUNCHCLK and the HBPOS*.MDB tickets) into
// schemas of the PostgreSQL database at url, which must hold none of them yet: all are
// copied or, when anything fails, none is left behind. report gets one line per database.
bool copy_to_server(const QString& root, const QString& url, QStringList* report = nullptr);

} // namespace suite
